#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sorvex {

// Pseudo-random bytes that no file system can compress or deduplicate, at no
// cost beside the disk's: a mebibyte of xoshiro256** output made once, given
// out again and again with every 512-byte sector stamped at its start with a
// new number of the same generator. Each 128 KiB a compressor takes is
// random to it, and no two sectors of the stream are alike. Not for secrets:
// only to leave no old data behind.
class Noise {
public:
    static constexpr std::size_t Bytes = std::size_t{1} << 20; // a chunk
    explicit Noise(std::uint64_t seed);
    std::uint64_t Next();
    // The next chunk of the stream, valid until the next call.
    const unsigned char* Chunk();
    // A name of letters and digits, of the length name has.
    void Name(std::string& name);

private:
    std::uint64_t state_[4];
    std::vector<unsigned char> chunk_;
};

} // namespace sorvex
