#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// The flat list of file paths a run destroys, in the order it destroys them.
// A path is held once, at the place where it was first appended (exact byte
// comparison). Paths are packed into large chunks that never move, so a
// million paths cost little more than their own bytes.
class PathList {
public:
    // False when the path is already held; folder + name is appended as one path.
    bool Append(std::string_view path) { return Append(path, {}); }
    bool Append(std::string_view folder, std::string_view name);

    std::size_t Count() const { return paths_.size(); }
    std::string_view operator[](std::size_t index) const;
    void Clear(); // also gives the memory back

    // Bytes this list has taken from the heap.
    std::size_t MemoryUsed() const;

private:
    static constexpr std::size_t ChunkSize = std::size_t{1} << 20;
    using Length = std::uint32_t;

    char* Reserve(std::size_t bytes);
    bool Held(std::string_view path, std::size_t hash) const;
    void Remember(std::size_t index, std::size_t hash);
    void Grow();

    std::vector<std::unique_ptr<char[]>> chunks_;
    std::vector<std::size_t> chunkSizes_;
    std::size_t chunkUsed_ = 0; // in the last chunk
    std::vector<const char*> paths_; // each points at a length prefix and the bytes after it
    std::vector<std::uint32_t> slots_; // hash set: index + 1 of a held path, 0 when free
};
