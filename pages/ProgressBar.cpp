#include "pages/ProgressBar.h"

#include <QPainter>
#include <QStyleOptionProgressBar>

#include <algorithm>
#include <cmath>

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

void ProgressBar::PositionChanged()
{
    const int step = StepOf(position_);
    if (step != painted_) {
        painted_ = step;
        update();
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

QSize ProgressBar::sizeHint() const
{
    return {160, 16};
}

void ProgressBar::paintEvent(QPaintEvent*)
{
    QStyleOptionProgressBar option;
    option.initFrom(this);
    option.minimum = 0;
    option.maximum = Resolution;
    option.progress = painted_;
    option.textVisible = false;
    option.state |= QStyle::State_Horizontal;
    QPainter painter(this);
    style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
}
