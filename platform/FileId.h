#pragma once

#include <cstdint>

namespace sorvex {

// Which file: the device and the inode number, as the file system tells them.
struct FileId {
    std::uint64_t dev = 0;
    std::uint64_t ino = 0;
    bool operator==(const FileId&) const = default;
};

} // namespace sorvex
