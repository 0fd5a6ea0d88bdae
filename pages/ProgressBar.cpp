#include "pages/ProgressBar.h"

#include <QAccessible>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace sorvex {

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent)
{
    PositionChanged();
}

void ProgressBar::SetMin(std::int64_t min)
{
    min_ = min;
    PositionChanged();
}

void ProgressBar::SetMax(std::int64_t max)
{
    max_ = max;
    PositionChanged();
}

void ProgressBar::SetPosition(std::int64_t position)
{
    position_ = position;
    PositionChanged();
}

int ProgressBar::StepOf(std::int64_t position) const
{
    if (max_ <= min_ || position <= min_)
        return 0;
    if (position >= max_)
        return Resolution;
    const double share = static_cast<double>(position - min_) / static_cast<double>(max_ - min_);
    return std::min(Resolution, static_cast<int>(share * Resolution));
}

// The style draws a step as an empty bar, a full one, or one whose filled part
// is step * width / Resolution pixels of the contents' width long, so steps of
// the same look paint the same pixels. Before the first paint the width is not
// known; nothing is on screen then that could go stale.
int ProgressBar::LookOf(int step) const
{
    if (step <= 0)
        return EmptyLook;
    if (step >= Resolution)
        return FullLook;
    return static_cast<int>(std::int64_t{step} * contentsWidth_ / Resolution);
}

// A new step repaints only when its look differs from the one on screen (or
// already asked for): most steps are finer than a pixel. Whenever the look
// changes the whole bar is repainted, so a partial repaint (an uncovered corner)
// always paints the look the rest of the bar shows; a resize repaints it all.
void ProgressBar::PositionChanged()
{
    const int step = StepOf(position_);
    if (step != painted_) {
        painted_ = step;
        const int look = LookOf(step);
        if (look != look_) {
            look_ = look;
            if (paced_)
                repaintDue_ = true;
            else
                Repaint();
        }
    }
    // The first position whose painted step is greater than this one's.
    if (step >= Resolution || max_ <= min_) {
        nextRepaintAt_ = std::max(position_, max_) + 1;
        return;
    }
    const double range = static_cast<double>(max_ - min_);
    auto next = min_ + static_cast<std::int64_t>(std::ceil((step + 1) * range / Resolution));
    while (next > position_ + 1 && StepOf(next - 1) > step)
        --next;
    nextRepaintAt_ = std::max(next, position_ + 1);
}

void ProgressBar::Present()
{
    if (repaintDue_)
        Repaint();
    repaintDue_ = false;
}

void ProgressBar::Repaint()
{
    update();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, Percent());
        QAccessible::updateAccessibility(&event);
    }
}

QSize ProgressBar::sizeHint() const
{
    return {160, 16};
}

QStyleOptionProgressBar ProgressBar::StyleOption() const
{
    QStyleOptionProgressBar option;
    option.initFrom(this);
    option.minimum = 0;
    option.maximum = Resolution;
    option.progress = painted_;
    option.textVisible = false;
    option.state |= QStyle::State_Horizontal;
    return option;
}

void ProgressBar::paintEvent(QPaintEvent*)
{
    const QStyleOptionProgressBar option = StyleOption();
    contentsWidth_ = style()->subElementRect(QStyle::SE_ProgressBarContents, &option, this).width();
    look_ = LookOf(painted_);
    repaintDue_ = false;
    QPainter painter(this);
    style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
}

} // namespace sorvex
