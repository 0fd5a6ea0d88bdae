#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/FolderListing.h"

namespace sorvex {

enum class PathKind { Missing, Regular, Link, Other };

struct PathInfo {
    PathKind kind = PathKind::Missing;
    std::uint64_t links = 0;
};

// Everything the shredding engine asks of the file system. Paths are raw
// bytes and are never converted to text. Tests substitute faulty versions.
class FileServices {
public:
    virtual ~FileServices() = default;

    // Lists every entry of a folder except "." and ".." (hidden ones
    // included) in the order the system reports them. isFolder is true only
    // for real folders: a symbolic link, to anything, is never a folder.
    // With followLink false a link in the last component of path is refused;
    // with true path may be a link to a folder. Returns false when the folder
    // cannot be opened (out is then empty); a read error part-way keeps what
    // was read and returns true. Never descends into anything itself.
    virtual bool ListFolder(const std::string& path, bool followLink, FolderListing& out) = 0;

    virtual PathInfo Inspect(const std::string& path) = 0; // never follows a link

    // Gives the owner write permission to a regular file, never through a
    // link; failures are ignored.
    virtual void MakeWritable(const std::string& path) = 0;

    // Opens an existing regular file for writing at its first byte, without
    // truncating it, and holds an exclusive lock on it until close().
    // Returns -1 for a link, anything but a regular file, a file locked by
    // someone else, or (where the file system can tell) a file open elsewhere.
    virtual int OpenForWriting(const std::string& path) = 0;

    virtual std::int64_t Size(int fd) = 0; // -1 on failure

    // Writes at the current position; bytes written (may be fewer than
    // count) or -1.
    virtual long Write(int fd, const void* data, std::size_t count) = 0;

    virtual bool Flush(int fd) = 0; // data reaches the device; true on success
    virtual void Close(int fd) = 0; // also releases the lock
    virtual void Remove(const std::string& path) = 0; // removes the name; failures ignored

    // Monotonic milliseconds, wrapping at 32 bits: compare by subtraction.
    virtual std::uint32_t TickCount() = 0;
};

// The real services of this system, shared by the whole program.
FileServices& SystemServices();

} // namespace sorvex
