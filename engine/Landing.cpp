#include "engine/Landing.h"

#include "platform/FileServices.h"

#include <algorithm>

namespace sorvex {

namespace {

constexpr std::uint32_t Elsewhere = Extent::Shared | Extent::Inline | Extent::Encoded;
constexpr std::uint32_t NotPlaced = Extent::Unknown | Extent::Delayed;

std::uint32_t FlagsBelow(const ExtentMap& map, std::uint64_t limit)
{
    std::uint32_t flags = 0;
    for (const Extent& e : map) {
        if (e.logical < limit)
            flags |= e.flags;
    }
    return flags;
}

} // namespace

bool SamePlaces(const ExtentMap& before, const ExtentMap& after, std::uint64_t limit)
{
    for (const Extent& old : before) {
        const std::uint64_t end = std::min(old.logical + old.length, limit);
        // Walk the old run's bytes through the extents that now hold them.
        for (std::uint64_t at = old.logical; at < end;) {
            const auto now = std::find_if(after.begin(), after.end(), [at](const Extent& e) {
                return e.logical <= at && at < e.logical + e.length;
            });
            if (now == after.end() || now->physical - now->logical != old.physical - old.logical)
                return false;
            at = now->logical + now->length;
        }
    }
    return true;
}

void LandingCheck::Begin(FileServices& fs, int fd, std::int64_t size, bool inPlace)
{
    verdict_ = Verdict::InPlace;
    decided_ = inPlace || size <= 0; // nothing old to look for
    unplaced_ = false;
    oldSize_ = static_cast<std::uint64_t>(size > 0 ? size : 0);
    before_.clear();
    if (decided_)
        return;
    if (!fs.ReadExtents(fd, now_)) {
        Decide(Verdict::Unchecked);
        return;
    }
    if (FlagsBelow(now_, oldSize_) & Elsewhere) {
        Decide(Verdict::Elsewhere);
        return;
    }
    // What waits in memory was never on the device: only the placed runs count.
    for (const Extent& e : now_) {
        if (e.flags & NotPlaced)
            unplaced_ = true;
        else
            before_.push_back(e);
    }
}

void LandingCheck::AfterPass(FileServices& fs, int fd)
{
    if (decided_)
        return;
    if (!fs.ReadExtents(fd, now_)) {
        Decide(Verdict::Unchecked);
        return;
    }
    const std::uint32_t flags = FlagsBelow(now_, oldSize_);
    if (flags & Elsewhere)
        Decide(Verdict::Elsewhere);
    else if (flags & NotPlaced)
        Decide(Verdict::Unchecked); // flushed, yet still without a place
    else if (!SamePlaces(before_, now_, oldSize_))
        Decide(Verdict::Elsewhere);
    else if (unplaced_) {
        // The first flush placed what waited in memory: later passes must land there.
        before_ = now_;
        unplaced_ = false;
    }
}

void LandingCheck::Decide(Verdict verdict)
{
    verdict_ = verdict;
    decided_ = true;
}

} // namespace sorvex
