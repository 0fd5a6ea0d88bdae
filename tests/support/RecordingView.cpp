#include "tests/support/RecordingView.h"

#include "engine/CShredder.h"

#include <algorithm>

void RecordingView::List(Entry entry)
{
    const auto after = std::upper_bound(entries.begin(), entries.end(), entry,
                                        [](const Entry& a, const Entry& b) { return a.path < b.path; });
    entries.insert(after, std::move(entry));
}

void RecordingView::StopInNextPump()
{
    stopQueued_ = true;
}

void RecordingView::SetRange(sorvex::Bar bar, std::int64_t min, std::int64_t max)
{
    Of(bar).min = min;
    Of(bar).max = max;
}

void RecordingView::Pump()
{
    ++pumps;
    if (stopQueued_) {
        stopQueued_ = false;
        Shredder.Stop = true;
    }
    if (onPump)
        onPump();
}
