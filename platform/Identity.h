#pragma once

#include <cstdint>
#include <string_view>

namespace sorvex {

// Calls the services take the kernel to refuse with EPERM, as a sandbox's
// system call filter does. Tests set these to walk the ways round; the
// program never does.
struct RefusedCalls {
    bool openat2 = false;
    bool statx = false;
    bool fdinfo = false; // /proc/self/fdinfo
    bool tmpfile = false; // O_TMPFILE, as vfat, exFAT and FUSE lack it
};
RefusedCalls& RefusedForTests();

// The mount the open file or folder fd is on: by statx, else by the kernel's
// fdinfo for the descriptor; 0 when neither tells.
std::uint64_t MountIdOf(int fd);

// The mount id in the text of a /proc/self/fdinfo file; 0 when it has none.
std::uint64_t MountIdInFdinfo(std::string_view text);

// True for the file systems whose folder entries carry the inode number a
// look at the name gives, on the folder's own device: ext2/3/4, xfs, btrfs
// and tmpfs. Elsewhere (FUSE, vfat, exFAT, overlay and what we cannot vouch
// for) an entry's identity must be looked up by its name.
bool EntriesCarryTheirInode(unsigned long magic);

} // namespace sorvex
