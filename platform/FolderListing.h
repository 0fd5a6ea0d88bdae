#pragma once

#include "platform/FileId.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvex {

// The entries of one folder packed into a single buffer, so listing a large
// tree costs no heap allocation per entry. Each entry is stored as one kind
// byte, its identity (device and inode), the name, and a terminating '\0'
// (file names never contain NUL).
class FolderListing {
public:
    void Clear(); // drops the entries but keeps the buffer's capacity
    void Add(std::string_view name, bool isFolder, FileId id = {});

    // Reads the entries in insertion order; false once all have been read.
    // The name stays valid until the next Add() or Clear().
    bool Next(std::string_view& name, bool& isFolder, FileId& id);
    bool Next(std::string_view& name, bool& isFolder);

    bool Empty() const;

    // True when every entry names another path below the folder: no name
    // is listed twice (as a folder changing while it is read can make it)
    // and none holds a '/'. For a folder of a million names this takes a
    // while: nowAndThen is called every so many names on the way.
    bool NamesAreDistinct(const std::function<void()>& nowAndThen = {}) const;

private:
    static constexpr std::size_t NameOffset = 1 + sizeof(FileId);
    std::string buf_;
    std::size_t cursor_ = 0;
    std::size_t count_ = 0;
    mutable std::vector<std::uint32_t> seen_; // namesAreDistinct's hash set, kept for the next folder
};

} // namespace sorvex
