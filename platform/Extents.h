#pragma once

#include <cstdint>
#include <vector>

namespace sorvex {

// One run of a file's bytes on the device, as the file system maps it.
struct Extent {
    enum Flag : std::uint32_t {
        Shared = 1, // the blocks belong to another file or a snapshot too
        Inline = 2, // kept inside the file system's own records, not blocks of the file
        Encoded = 4, // compressed or otherwise stored in another form
        Unknown = 8, // no place on the device known yet
        Delayed = 16, // still in memory, to be placed on the device later
    };
    std::uint64_t logical = 0; // where the run starts in the file
    std::uint64_t physical = 0; // where it starts on the device
    std::uint64_t length = 0;
    std::uint32_t flags = 0;
};

using ExtentMap = std::vector<Extent>;

} // namespace sorvex
