#include "engine/Pattern.h"

namespace sorvex {

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
