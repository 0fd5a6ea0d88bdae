#pragma once

#include "platform/FileServices.h"

#include <cstdint>
#include <vector>

namespace sorvex {

// Blocks first to first + count - 1 of a pass.
struct BlockSpan {
    std::int64_t first = 0;
    std::int64_t count = 0;
    bool operator==(const BlockSpan&) const = default;
};

// The blocks a pass over a file of size bytes writes, in order: every block
// of the (size div 256) + 1 that holds some of the file's data, and the block
// past the end that a pass always writes when the size is a whole number of
// blocks. A block that lies wholly in a hole holds no old data: writing it
// would only take space on the medium, up to a full disk for a sparse image.
std::vector<BlockSpan> BlocksToWrite(const std::vector<ByteRange>& data, std::int64_t size);

} // namespace sorvex
