#include "engine/Holes.h"

#include "engine/Pattern.h"

#include <algorithm>

namespace sorvex {

std::vector<BlockSpan> BlocksToWrite(const std::vector<ByteRange>& data, std::int64_t size)
{
    std::vector<BlockSpan> spans;
    const auto add = [&spans](std::int64_t first, std::int64_t end) {
        if (!spans.empty() && first <= spans.back().first + spans.back().count)
            spans.back().count = std::max(spans.back().count, end - spans.back().first);
        else
            spans.push_back({first, end - first});
    };
    for (const ByteRange& range : data) {
        const std::int64_t end = std::min(range.offset + range.length, size);
        if (range.length > 0 && range.offset < end)
            add(range.offset / BlockSize, (end + BlockSize - 1) / BlockSize);
    }
    if (size % BlockSize == 0)
        add(size / BlockSize, size / BlockSize + 1);
    return spans;
}

} // namespace sorvex
