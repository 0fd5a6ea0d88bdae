#pragma once

#include "platform/FileServices.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace sorvex {

// How much room a file system has, in bytes, as statvfs tells it.
struct Room {
    std::int64_t size = 0;
    std::int64_t available = 0; // what may still be written outside the root's reserve
    std::int64_t freeInodes = -1; // -1 where the file system keeps no count (btrfs, vfat)
    int nameMax = 255; // the longest name, at most 255 bytes
    bool readOnly = false;
};

// Where a file system's journal stands, as far as the system tells.
struct Journal {
    bool present = false; // ext3/ext4 with a journal, xfs
    std::int64_t length = 0; // bytes, at least; 0 where unknown
    bool headKnown = false; // where the journal writes now (xfs):
    std::uint64_t cycle = 0; // the laps it has made,
    std::uint64_t block = 0; // and the block it is at in this one
};

// The file system a wipe works on, and what of its old data no wipe of its
// free space reaches.
struct Place {
    std::string mountPoint; // raw bytes, as the mount table names it
    std::string type; // "ext4", "btrfs", ...
    bool notADisk = false; // memory (tmpfs, ramfs) or the kernel's own: nothing to wipe, and room to keep
    bool keepsLastPercent = false; // the system's root or the home: the desktop needs room
    bool copyOnWrite = false; // snapshots and reflinked copies keep old extents
    bool overlay = false; // writes go to the upper layer; the lower ones stay as they were
    bool flash = false; // a non-rotational device below: cells its controller set aside
};

// Why a step of a wipe could not be taken.
enum class SpaceFault {
    None,
    Full, // no room, no inode, or the file or folder cannot grow
    Exists, // the name is taken
    ReadOnly,
    Denied, // not this user's to write, or not a folder of ours
    Busy, // another wipe works there now
    Failed, // anything else: an error of the medium
};

struct Filled {
    std::int64_t written = 0;
    SpaceFault fault = SpaceFault::None;
};

struct Made {
    UniqueFd fd;
    SpaceFault fault = SpaceFault::None;
};

// A process of its own that removes a wipe's folder, with all it holds, if
// the program ends without letting it go: even killed, it leaves no full
// disk. Not the program's child: letting it go waits for nothing.
class FolderGuard {
public:
    FolderGuard() = default;
    explicit FolderGuard(int pipe) : pipe_(pipe) {}
    FolderGuard(FolderGuard&& other) noexcept : pipe_(other.pipe_) { other.pipe_ = -1; }
    FolderGuard& operator=(FolderGuard&& other) noexcept;
    ~FolderGuard() { Release(); }
    // The folder is ours to remove: the guard ends without touching it.
    void Release() { LetGo('k'); }
    // The guard removes the folder now, with all it holds, as soon as this
    // process closes it; false when there is no guard.
    bool HandOver() { return LetGo('r'); }

private:
    bool LetGo(char what);
    int pipe_ = -1;
};

// What a wipe of the free space asks of the file system, beside the file
// services: every folder it makes is below one folder the user named, reached
// by handle, never through a link or into another mount. Tests substitute
// versions that fill up or fail on demand.
class FreeSpaceServices {
public:
    virtual ~FreeSpaceServices() = default;

    virtual Room RoomOf(int fd) = 0;
    virtual Place PlaceOf(int fd) = 0;
    virtual Journal JournalOf(int fd) = 0;

    // Makes the folder name in parent, for this user alone, opens it without
    // following a link or entering another mount, and locks it for this wipe.
    virtual Made MakeFolder(int parent, std::string_view name) = 0;
    // Removes what a wipe that ended unseen (a crash) left as name in parent.
    // Busy while another wipe holds it; Denied when it is not a wipe's folder
    // of this user; None when it is gone or never was.
    virtual SpaceFault RemoveLeftover(int parent, std::string_view name) = 0;
    // Removes every file and folder in the folder, folders one level deep,
    // calling between after every so many.
    virtual void ClearFolder(int folder, const std::function<void()>& between) = 0;
    virtual bool RemoveFolder(int parent, std::string_view name) = 0;
    virtual FolderGuard Guard(int parent, int folder, std::string_view name) = 0;

    // A file for data without a name (O_TMPFILE), gone with its descriptor;
    // Failed where the file system has none.
    virtual Made OpenUnnamed(int folder) = 0;
    // A new file called name, for this user alone.
    virtual Made MakeFile(int folder, std::string_view name) = 0;
    virtual bool RemoveName(int folder, std::string_view name) = 0;
    // A new empty file called name, without opening it.
    virtual SpaceFault MakeName(int folder, std::string_view name) = 0;
    // Writes at offset, going on after a short write; stops at the first fault.
    virtual Filled Fill(int fd, const void* data, std::size_t count, std::int64_t offset) = 0;
    // Changes the times of name in folder (odd and even rounds differ), so
    // that its inode is written again.
    virtual bool Touch(int folder, std::string_view name, bool odd) = 0;
    // Everything of the file system reaches the medium, the journal committed.
    virtual bool SyncAll(int fd) = 0;
};

// The real services of this system.
FreeSpaceServices& SystemFreeSpace();

// Services that pass every call on to the system's: a base for services that
// watch or change a few calls and leave the rest as they are.
class ForwardingFreeSpace : public FreeSpaceServices {
public:
    Room RoomOf(int fd) override { return real_.RoomOf(fd); }
    Place PlaceOf(int fd) override { return real_.PlaceOf(fd); }
    Journal JournalOf(int fd) override { return real_.JournalOf(fd); }
    Made MakeFolder(int parent, std::string_view name) override { return real_.MakeFolder(parent, name); }
    SpaceFault RemoveLeftover(int parent, std::string_view name) override { return real_.RemoveLeftover(parent, name); }
    void ClearFolder(int folder, const std::function<void()>& between) override { real_.ClearFolder(folder, between); }
    bool RemoveFolder(int parent, std::string_view name) override { return real_.RemoveFolder(parent, name); }
    FolderGuard Guard(int parent, int folder, std::string_view name) override
    {
        return real_.Guard(parent, folder, name);
    }
    Made OpenUnnamed(int folder) override { return real_.OpenUnnamed(folder); }
    Made MakeFile(int folder, std::string_view name) override { return real_.MakeFile(folder, name); }
    bool RemoveName(int folder, std::string_view name) override { return real_.RemoveName(folder, name); }
    SpaceFault MakeName(int folder, std::string_view name) override { return real_.MakeName(folder, name); }
    Filled Fill(int fd, const void* data, std::size_t count, std::int64_t offset) override
    {
        return real_.Fill(fd, data, count, offset);
    }
    bool Touch(int folder, std::string_view name, bool odd) override { return real_.Touch(folder, name, odd); }
    bool SyncAll(int fd) override { return real_.SyncAll(fd); }

protected:
    FreeSpaceServices& real_ = SystemFreeSpace();
};

} // namespace sorvex
