#include "engine/Noise.h"

#include <cstring>

namespace sorvex {

namespace {

std::uint64_t RotateLeft(std::uint64_t x, int k)
{
    return (x << k) | (x >> (64 - k));
}

} // namespace

Noise::Noise(std::uint64_t seed)
{
    for (std::uint64_t& word : state_) {
        seed += 0x9E3779B97F4A7C15u;
        std::uint64_t z = seed;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        word = z ^ (z >> 31);
    }
    chunk_.resize(Bytes);
    for (std::size_t at = 0; at < Bytes; at += 8) {
        const std::uint64_t word = Next();
        std::memcpy(chunk_.data() + at, &word, 8);
    }
}

std::uint64_t Noise::Next()
{
    const std::uint64_t result = RotateLeft(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = RotateLeft(state_[3], 45);
    return result;
}

const unsigned char* Noise::Chunk()
{
    constexpr std::size_t Sector = 512;
    for (std::size_t at = 0; at < Bytes; at += Sector) {
        const std::uint64_t stamp = Next();
        std::memcpy(chunk_.data() + at, &stamp, 8);
    }
    return chunk_.data();
}

void Noise::Name(std::string& name)
{
    static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (char& c : name)
        c = Letters[Next() % (sizeof Letters - 1)];
}

} // namespace sorvex
