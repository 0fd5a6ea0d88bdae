#pragma once

#include "platform/FileId.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace sorvex {

// The flat list of file paths a run destroys, in the order it destroys them,
// each with the identity of the file found there. A path is held once, at the
// place where it was first appended (exact byte comparison). Paths are packed
// into large chunks that never move, so a million paths cost little more than
// their own bytes.
class PathList {
public:
    // False when the path is already held; folder + name is appended as one path.
    bool Append(std::string_view path, FileId id = {}) { return Append(path, {}, id); }
    bool Append(std::string_view folder, std::string_view name, FileId id = {});
    // Appends folder + name without looking it up, for a caller that knows
    // the path is not held. Later Appends find it as any other.
    void AppendNew(std::string_view folder, std::string_view name, FileId id = {});

    std::size_t Count() const { return count_; }
    std::string_view operator[](std::size_t index) const;
    FileId IdOf(std::size_t index) const;
    void Clear(); // also gives the memory back

    // Where a path is reached from: its first length bytes name a folder
    // that is opened by that path (listedFolder: the user's folder itself,
    // not a link to one); the rest is reached from there name by name.
    struct Base {
        std::size_t length = 0;
        bool listedFolder = false;
    };
    // The base of the paths appended from now on.
    void StartBase(Base base);
    Base BaseOf(std::size_t index) const;

    // Bytes this list has taken from the heap.
    std::size_t MemoryUsed() const;

private:
    static constexpr std::size_t ChunkSize = std::size_t{1} << 20;
    static constexpr std::size_t StartsBlock = 8192; // paths of one block of starts_
    using Length = std::uint32_t;
    // Each path is kept behind its length and its file's identity.
    static constexpr std::size_t HeaderSize = sizeof(Length) + 2 * sizeof(std::uint64_t);

    // A place in the hash set: index + 1 of a held path (0 when free) and the
    // path's hash, which spares reading the path itself for most mismatches
    // and all of it when the set grows.
    struct Slot {
        std::uint32_t index = 0;
        std::uint32_t hash = 0;
    };

    const char* Join(std::string_view folder, std::string_view name, FileId id);
    void Keep(const char* entry);
    static std::uint32_t HashOf(std::string_view path);
    bool Held(std::string_view path, std::uint32_t hash) const;
    void Remember(std::size_t index, std::uint32_t hash);
    void FileTheRest();
    void MakeRoomFor(std::size_t paths);

    std::vector<std::unique_ptr<char[]>> chunks_;
    std::vector<std::size_t> chunkSizes_;
    std::size_t chunkUsed_ = 0; // in the last chunk
    // Where each path starts (at its length prefix), in blocks that are never
    // moved or copied: a growing list only adds one now and then.
    std::vector<std::unique_ptr<const char*[]>> starts_;
    std::size_t count_ = 0;
    // The hash set, open addressing, at most half full. It holds the first
    // filed_ paths: those appended with AppendNew wait until the next Append
    // needs them, so a list that is never looked up never builds it.
    std::vector<Slot> slots_;
    std::size_t filed_ = 0;
    // The bases, each with the index of the first path it applies to.
    std::vector<std::pair<std::size_t, Base>> bases_;
};

} // namespace sorvex
