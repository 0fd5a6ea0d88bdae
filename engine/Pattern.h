#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sorvex {

// One block of every overwrite: 256 bytes. The file bar counts blocks; the
// writes take them in runs (see BlockRun).
constexpr int BlockSize = 256;
using Block = std::array<unsigned char, BlockSize>;

// A run of blocks, the same block over and over, written with one call: a
// mebibyte in a run (CShredder::RunBlocks), or a single block in tests.
using BlockRun = std::vector<unsigned char>;
BlockRun RunOf(const Block& block, std::size_t blocks);

// 256 times the character "0" (0x30), as the balanced and thorough methods write.
Block ZeroCharBlock();

// The DoD method's block: a 32-bit linear congruential generator seeded with
// the clock, advanced once before use; each byte is bits 16 to 23 of the state.
Block DodBlock(std::uint32_t seed);

} // namespace sorvex
