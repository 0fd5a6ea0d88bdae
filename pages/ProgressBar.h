#pragma once

#include <QStyleOptionProgressBar>
#include <QWidget>

#include <cstdint>

namespace sorvex {

// A progress bar that the engine steps by the blocks of each run it has
// written (and by the holes it passes over). It keeps the position as a plain
// number, readable at any time, and repaints only when the bar on screen would
// change, so a step costs an add and a compare.
// Positions are 64-bit: any file size fits; the painting scales them.
class ProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent = nullptr);

    std::int64_t Min() const { return min_; }
    std::int64_t Max() const { return max_; }
    std::int64_t Position() const { return position_; }

    void SetMin(std::int64_t min);
    void SetMax(std::int64_t max);
    void SetPosition(std::int64_t position);
    void StepIt(std::int64_t by = 1)
    {
        position_ += by;
        if (position_ >= nextRepaintAt_)
            PositionChanged();
    }

    // Paced, a change only marks the bar to be repainted at the next
    // Present; a paint for any other reason shows the true position anyway.
    void SetPaced(bool paced) { paced_ = paced; }
    void Present();

    // Painted steps across the bar's whole length; finer than any bar's pixels.
    static constexpr int Resolution = 4096;
    // The step that is painted now, 0 to Resolution.
    int PaintedStep() const { return painted_; }
    // The same, as a screen reader reads it: 0 to 100.
    double Percent() const { return painted_ * 100.0 / Resolution; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PositionChanged();
    void Repaint(); // and tells a screen reader of the new value
    int StepOf(std::int64_t position) const;
    static constexpr int EmptyLook = -1;
    static constexpr int FullLook = -2;
    int LookOf(int step) const;
    QStyleOptionProgressBar StyleOption() const;

    std::int64_t min_ = 0;
    std::int64_t max_ = 100;
    std::int64_t position_ = 0;
    std::int64_t nextRepaintAt_ = 0;
    int painted_ = 0;
    int contentsWidth_ = 0; // the filled part's length when full, at the last paint
    int look_ = EmptyLook; // LookOf the step on screen or asked for
    bool paced_ = false;
    bool repaintDue_ = false; // paced: a repaint waits for Present
};

} // namespace sorvex
