#pragma once

#include "platform/FreeSpace.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sorvex {

// How the wipe of one file system's free space ended.
enum class WipeEnd {
    Wiped,
    Stopped, // "Стоп" or "Выход": only part of the free space was written over
    NotReached, // stopped before this file system's turn
    Unopened, // the folder named could not be opened
    NotADisk, // memory or the kernel's own file system: filling it would only take memory
    ReadOnly,
    Full, // no free space beyond the reserve: nothing to write
    Denied, // the folder named is not this user's to write in
    Busy, // another wipe works there now
    Failed, // an error of the medium ended it part-way
};

// What a wipe of the free space did, file system by file system, and what
// of the old data it cannot reach there.
struct WipeReport {
    struct FileSystem {
        std::string folder; // as named, raw bytes
        Place place;
        WipeEnd end = WipeEnd::Wiped;
        std::int64_t bytes = 0; // free data space written over
        std::int64_t names = 0; // names made in the free metadata space
        bool hasJournal = false;
        bool journalTurned = false; // written over from end to end
    };
    std::vector<FileSystem> fileSystems;
};

} // namespace sorvex
