#pragma once

#include "platform/Extents.h"
#include "platform/FileId.h"
#include "platform/FolderListing.h"
#include "platform/UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvex {

enum class NodeKind {
    Missing,
    Folder,
    Regular,
    Link, // a symbolic link, whatever it points to
    Special, // a device, a FIFO or a socket
    Unknown, // the look failed (an I/O error, no memory): the name may well be there
};

// What a name in a folder is, looked at without following a link.
struct Node {
    NodeKind kind = NodeKind::Missing;
    FileId id;
    std::uint64_t links = 0; // names the inode has
    std::uint64_t mount = 0; // the mount it is on, 0 where the system does not tell
    int error = 0; // Missing or Unknown: the system's error number
};

// How much of a folder a listing read.
enum class Listed {
    Whole,
    Cut, // a read error part-way: the entries before it are there, the rest are not
    Nothing, // nothing could be read
};

// Where old bytes of a file may live on besides the blocks its overwrite reaches.
enum class OldCopy {
    None,
    LowerLayer, // a lower layer of an overlay holds the file as it was
    Journal, // its data goes through the file system's journal
};

// A stretch of a file that holds data, not a hole.
struct ByteRange {
    std::int64_t offset = 0;
    std::int64_t length = 0;
};

// Why a folder or a file could not be reached or opened.
enum class Refusal {
    None,
    Missing, // no such name (any more)
    Denied, // the system refused access
    Changed, // a link, another kind of file, or another file than the one found before
    OtherMount, // another file system is mounted there
    Busy, // locked or held open by another program, or a running program's file
    Failed, // anything else
    ReadOnly, // the file system is mounted read-only
    Protected, // immutable or append-only (chattr +i, +a)
};

// A descriptor just opened, or why there is none.
struct Opened {
    UniqueFd fd;
    Refusal why = Refusal::None;
    int error = 0; // the system's error number behind why
};

// Where the names of removed files may stay on the medium.
enum class NameTrace {
    None, // never on a medium (tmpfs, ramfs)
    // Wiped where they stood (ext3/ext4 from Linux 5.13 on), but the journal
    // keeps the copies of the folders' blocks it took before the run (when the
    // files were made or renamed) until it wraps.
    Journal,
    FolderBlocks, // left in the folder's blocks (xfs, ext2, FAT, and whatever we cannot vouch for)
    Copies, // in older copies of the file system's records (btrfs and other copy-on-write systems)
};

// What the file system holding a folder is, as far as a run must know.
struct FileSystemInfo {
    // The kernel's own (proc, sysfs, devtmpfs, cgroup, ...): never written.
    bool system = false;
    // Known to overwrite a file's data where it is (tmpfs, ramfs), extent map or not.
    bool overwritesInPlace = false;
    // Every file's data is written through the journal first (ext3/ext4 data=journal).
    bool journalsData = false;
    // Kept in memory that may be written to swap (tmpfs while swap is active).
    bool swapsOut = false;
    NameTrace names = NameTrace::None;
    // A flush while a folder's block holds names still to be removed copies
    // them into the journal: a folder's names go together, once its files
    // are overwritten (ext2/3/4, xfs).
    bool namesTogether = false;
    // Old values of extended attributes stay in its records or its journal
    // whatever is written over them (every file system on a medium).
    bool keepsOldAttributes = false;
};

// What lies below the file system of a folder.
struct Medium {
    std::string mountPoint; // raw bytes, as the mount table gives it
    bool flash = false; // a device below it does not rotate: an SSD, a USB stick, a memory card
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
    // there and may be links).
    virtual Opened OpenFolder(const std::string& path, bool lastIsListed) = 0;
    // Opens the folder called name in the folder parent: no link anywhere,
    // no other mount.
    virtual Opened OpenSubfolder(int parent, std::string_view name) = 0;
    // Reads every entry of an open folder except "." and ".." (hidden ones
    // included) in the order the system reports them, each with the identity
    // a look at it by name gives. A read error part-way keeps what was read
    // and says Cut. A large folder comes in batches: between two,
    // betweenBatches is called, and reading ends early (Whole) when it
    // returns false.
    virtual Listed ListFolder(int folder, FolderListing& out, const std::function<bool()>& betweenBatches = {}) = 0;
    // The open folder's or file's own identity.
    virtual FileId IdOf(int fd) = 0;
    // The mount the open folder or file is on; 0 where the system does not tell.
    virtual std::uint64_t MountOf(int fd) = 0;
    virtual FileSystemInfo FileSystemOf(int fd) = 0;
    virtual Medium MediumOf(int fd) = 0;
    // Another descriptor of the same open folder, closed through these services.
    virtual Opened Duplicate(int fd) = 0;

    // The name in the folder as it is now, without following a link: Missing
    // only when there is no such name (ENOENT), Unknown when the look failed.
    virtual Node Inspect(int folder, std::string_view name) = 0;

    // Opens the regular file called name in folder for writing at its first
    // byte, without truncating it, giving its owner write permission first.
    // Only a regular file that is still the file expected is ever opened for
    // writing; a device or FIFO is never opened at all. Holds an exclusive
    // lock on it until it is closed.
    virtual Opened OpenForWriting(int folder, std::string_view name, FileId expected) = 0;
    // Size, Write and Flush leave the system's error number in errno when they fail.
    virtual std::int64_t Size(int fd) = 0; // -1 on failure
    // Writes at offset; bytes written (may be fewer than count) or -1.
    virtual long Write(int fd, const void* data, std::size_t count, std::int64_t offset) = 0;
    // Starts writing the range out to the device without waiting for it.
    virtual void StartWriteOut(int fd, std::int64_t offset, std::int64_t count) = 0;
    // Waits until the range has reached the device.
    virtual void WaitWrittenOut(int fd, std::int64_t offset, std::int64_t count) = 0;
    virtual bool Flush(int fd) = 0; // data reaches the device; true on success
    // The data and every record of the open file or folder reach the device:
    // its attributes, a folder's entries.
    virtual bool FlushAll(int fd) = 0;
    // Where the file's data lies on the device: false, with out empty, when
    // the file system does not say.
    virtual bool ReadExtents(int fd, ExtentMap& out) = 0;
    // Closes a descriptor these services opened (also releasing its lock);
    // called by the UniqueFd that owns it, never by hand.
    virtual void Close(int fd) = 0;

    // Whether old bytes of the file open as fd, called name in folder, may
    // survive elsewhere whatever is written to it.
    virtual OldCopy OldCopyOf(int folder, std::string_view name, int fd) = 0;
    // The stretches of the first size bytes of fd that hold data, in order;
    // the whole of them where the file system does not tell holes apart.
    virtual std::vector<ByteRange> DataRanges(int fd, std::int64_t size) = 0;

    // Removes the name from folder if, when looked at just before, it still
    // named the inode expected. The look and the removal are two system calls:
    // a name swapped for another file in the microseconds between them is not
    // excluded, and that file's name would be removed (its content is not
    // touched). True when the name is gone, also when it was gone already;
    // false when it is still there, named another file when looked at, or
    // could not be looked at.
    virtual bool Remove(int folder, std::string_view name, FileId expected) = 0;

    // The names of the open file's user.* attributes (those of the system,
    // security.*, trusted.*, system.*, are never touched): one call for a
    // file that has none.
    virtual std::vector<std::string> UserAttributes(int fd) = 0;
    virtual std::int64_t AttributeSize(int fd, const std::string& name) = 0; // -1 on failure
    // Writes value over the attribute's, which must exist.
    virtual bool WriteAttribute(int fd, const std::string& name, std::string_view value) = 0;
    virtual bool RemoveAttribute(int fd, const std::string& name) = 0;

    // The bytes of the small regular file called name in folder, never
    // through a link; false when there is none or it cannot be read.
    virtual bool ReadSmallFile(int folder, std::string_view name, std::string& out, FileId& id) = 0;
    // Puts content in place of the file called name in folder, if it is still
    // the file expected: written to a new file beside it (its mode and
    // owner), flushed, and renamed over it, so that the name always holds a
    // whole file. The old file, left without a name, comes back open for
    // writing, for its bytes to be overwritten.
    virtual Opened ReplaceFile(int folder, std::string_view name, FileId expected, std::string_view content) = 0;

    // Monotonic milliseconds, wrapping at 32 bits: compare by subtraction.
    virtual std::uint32_t TickCount() = 0;
};

// The same descriptor, closed from now on through owner: what services hand
// out is closed through the services the engine was given.
inline Opened HandedTo(FileServices& owner, Opened opened)
{
    return {UniqueFd(owner, opened.fd.Release()), opened.why, opened.error};
}

// The real services of this system, shared by the whole program.
FileServices& SystemServices();

} // namespace sorvex
