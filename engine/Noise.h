#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sorvex {

// Pseudo-random bytes that no file system can compress or deduplicate,
// made far faster than any disk takes them (xoshiro256**, seeded by
// splitmix64). Not for secrets: only to leave no pattern behind.
class Noise {
public:
    explicit Noise(std::uint64_t seed);
    std::uint64_t Next();
    void Fill(unsigned char* data, std::size_t bytes);
    // A name of letters and digits, of the length name has.
    void Name(std::string& name);

private:
    std::uint64_t state_[4];
};

} // namespace sorvex
