#pragma once

#include "platform/Extents.h"
#include "platform/FileId.h"
#include "platform/FolderListing.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace sorvex {

enum class NodeKind {
    Missing,
    Folder,
    Regular,
    Link, // a symbolic link, whatever it points to
    Special, // a device, a FIFO or a socket
};

// What a name in a folder is, looked at without following a link.
struct Node {
    NodeKind kind = NodeKind::Missing;
    FileId id;
    std::uint64_t links = 0; // names the inode has
};

// Why a folder or a file could not be reached or opened.
enum class Refusal {
    None,
    Missing, // no such name (any more)
    Denied, // the system refused access
    Changed, // a link, another kind of file, or another file than the one found before
    OtherMount, // another file system is mounted there
    Busy, // locked or held open by another program
    Failed, // anything else
};

// What the file system holding a folder is, as far as a run must know.
struct FileSystemInfo {
    // The kernel's own (proc, sysfs, devtmpfs, cgroup, ...): never written.
    bool system = false;
    // Known to overwrite a file's data where it is (tmpfs, ramfs), extent map or not.
    bool overwritesInPlace = false;
};

// Everything the shredding engine asks of the file system. Folders are
// reached by descriptor, each from the one above it by a bare name, without
// following a link or entering another mount; paths are raw bytes and never
// turned into text. Tests substitute versions that fail on demand.
class FileServices {
public:
    virtual ~FileServices() = default;

    // Opens a folder by path for reading its entries and as the base of what
    // is reached below it. With lastIsListed, the path's last name must be
    // the folder itself, not a link (the names before it are the user's way
    // there and may be links). -1, and why, when it cannot.
    virtual int OpenFolder(const std::string& path, bool lastIsListed, Refusal& why) = 0;
    // Opens the folder called name in the folder parent: no link anywhere,
    // no other mount. -1, and why, when it cannot.
    virtual int OpenSubfolder(int parent, std::string_view name, Refusal& why) = 0;
    // Reads every entry of an open folder except "." and ".." (hidden ones
    // included) in the order the system reports them. A read error part-way
    // keeps what was read; false when nothing could be read. A large folder
    // comes in batches: between two, betweenBatches is called, and reading
    // ends early when it returns false.
    virtual bool ListFolder(int folder, FolderListing& out, const std::function<bool()>& betweenBatches = {}) = 0;
    // The open folder's or file's own identity.
    virtual FileId IdOf(int fd) = 0;
    virtual FileSystemInfo FileSystemOf(int fd) = 0;

    // The name in the folder as it is now, without following a link.
    virtual Node Inspect(int folder, std::string_view name) = 0;

    // Opens the regular file called name in folder for writing at its first
    // byte, without truncating it, giving its owner write permission first.
    // Only a regular file that is still the file expected is ever opened for
    // writing; a device or FIFO is never opened at all. Holds an exclusive
    // lock on it until Close. -1, and why, when it cannot.
    virtual int OpenForWriting(int folder, std::string_view name, FileId expected, Refusal& why) = 0;
    virtual std::int64_t Size(int fd) = 0; // -1 on failure
    // Writes at offset; bytes written (may be fewer than count) or -1.
    virtual long Write(int fd, const void* data, std::size_t count, std::int64_t offset) = 0;
    // Starts writing the range out to the device without waiting for it.
    virtual void StartWriteOut(int fd, std::int64_t offset, std::int64_t count) = 0;
    // Waits until the range has reached the device.
    virtual void WaitWrittenOut(int fd, std::int64_t offset, std::int64_t count) = 0;
    virtual bool Flush(int fd) = 0; // data reaches the device; true on success
    // Where the file's data lies on the device: false, with out empty, when
    // the file system does not say.
    virtual bool ReadExtents(int fd, ExtentMap& out) = 0;
    virtual void Close(int fd) = 0; // also releases the lock

    // Removes the name from folder if it is still the inode expected.
    // False when the name is still there, or now names another file.
    virtual bool Remove(int folder, std::string_view name, FileId expected) = 0;

    // Monotonic milliseconds, wrapping at 32 bits: compare by subtraction.
    virtual std::uint32_t TickCount() = 0;
};

// The real services of this system, shared by the whole program.
FileServices& SystemServices();

} // namespace sorvex
