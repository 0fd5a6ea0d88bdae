#include "engine/Pattern.h"

#include <algorithm>

namespace sorvex {

BlockRun RunOf(const Block& block, std::size_t blocks)
{
    BlockRun run(blocks * block.size());
    for (std::size_t at = 0; at < run.size(); at += block.size())
        std::copy(block.begin(), block.end(), run.begin() + static_cast<std::ptrdiff_t>(at));
    return run;
}

Block ZeroCharBlock()
{
    Block block;
    block.fill('0');
    return block;
}

static std::uint32_t Advance(std::uint32_t state)
{
    return state * 22695477u + 1u;
}

Block DodBlock(std::uint32_t seed)
{
    Block block;
    std::uint32_t state = Advance(seed);
    for (unsigned char& byte : block) {
        state = Advance(state);
        byte = static_cast<unsigned char>(state >> 16);
    }
    return block;
}

} // namespace sorvex
