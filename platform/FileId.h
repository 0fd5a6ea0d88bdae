#pragma once

#include <cstddef>
#include <cstdint>

namespace sorvex {

// Which file: the device and the inode number, as the file system tells them.
struct FileId {
    std::uint64_t dev = 0;
    std::uint64_t ino = 0;
    bool operator==(const FileId&) const = default;
    bool Known() const { return dev != 0 || ino != 0; }
};

struct FileIdHash {
    std::size_t operator()(const FileId& id) const noexcept
    {
        return static_cast<std::size_t>(id.ino * 0x9E3779B97F4A7C15ull ^ id.dev);
    }
};

} // namespace sorvex
