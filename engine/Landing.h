#pragma once

#include "platform/Extents.h"

#include <cstdint>

namespace sorvex {

class FileServices;

// Whether a file's overwrite landed where its old data lies: the extent map
// read before the first pass is held against the map after every pass's
// flush. Every old extent must still be at the same place on the device, and
// none shared, kept inline or encoded. Data still waiting in memory for a
// place (delayed) never reached the device, so the comparison then starts
// from the first flush. A few reads per file, none per block.
class LandingCheck {
public:
    enum class Verdict { InPlace, Elsewhere, Unchecked };

    // Before the first pass of a file of size bytes; inPlace: its file system
    // is known to overwrite in place, with or without a map.
    void Begin(FileServices& fs, int fd, std::int64_t size, bool inPlace);
    // After each pass's flush.
    void AfterPass(FileServices& fs, int fd);
    Verdict Result() const { return verdict_; }

private:
    void Decide(Verdict verdict);

    Verdict verdict_ = Verdict::InPlace;
    bool decided_ = false; // nothing more to read
    bool unplaced_ = false; // some of the old data had no place on the device yet
    std::uint64_t oldSize_ = 0;
    ExtentMap before_;
    ExtentMap now_;
};

// True when every byte below limit that before places on the device lies at
// the same place in after.
bool SamePlaces(const ExtentMap& before, const ExtentMap& after, std::uint64_t limit);

} // namespace sorvex
