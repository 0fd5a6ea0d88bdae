#include "platform/FileSystems.h"

#include "platform/MountTable.h"

#include <charconv>
#include <cstring>
#include <optional>

#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/utsname.h>

namespace sorvex {

namespace {

// The kernel's own file systems: their files are settings, devices and
// views of the running system, never data a user keeps.
constexpr unsigned long SystemMagics[] = {
    PROC_SUPER_MAGIC,
    SYSFS_MAGIC,
    DEVPTS_SUPER_MAGIC,
    CGROUP_SUPER_MAGIC,
    CGROUP2_SUPER_MAGIC,
    DEBUGFS_MAGIC,
    TRACEFS_MAGIC,
    SECURITYFS_MAGIC,
    0x62656570 /* configfs */,
    EFIVARFS_MAGIC,
    BPF_FS_MAGIC,
    PSTOREFS_MAGIC,
    BINFMTFS_MAGIC,
    HUGETLBFS_MAGIC,
    0x19800202 /* mqueue */,
    0x65735543 /* fusectl */,
    SELINUX_MAGIC,
    SMACK_MAGIC,
    NSFS_MAGIC,
    0x67596969 /* rpc_pipefs */,
    AUTOFS_SUPER_MAGIC,
    USBDEVICE_SUPER_MAGIC,
};

constexpr unsigned long ExtMagic = 0xEF53; // ext2, ext3 and ext4 alike

// File systems that write a changed record anew elsewhere and keep the old
// one until its place is needed.
constexpr unsigned long CopyOnWriteMagics[] = {
    BTRFS_SUPER_MAGIC, 0xF2F52010 /* f2fs */, NILFS_SUPER_MAGIC, 0xca451a4e /* bcachefs */, 0x2fc12fc1 /* zfs */,
};

bool IsIn(unsigned long magic, const auto& magics)
{
    for (const unsigned long each : magics)
        if (magic == each)
            return true;
    return false;
}

// What stays of the names and attributes of removed files: nothing on a
// file system in memory; where the kernel wipes a removed ext3/ext4 entry,
// nothing in the folder's blocks, if the names leave a folder together
// (see FileSystemInfo), but what the journal took before the run; everywhere
// else, what the file system leaves.
void ClassifyTraces(FileSystemInfo& info, unsigned long magic, const char* mountType, bool entriesWiped)
{
    if (info.system || magic == TMPFS_MAGIC || magic == RAMFS_MAGIC)
        return;
    info.keepsOldAttributes = true;
    const bool ext34 = std::strcmp(mountType, "ext3") == 0 || std::strcmp(mountType, "ext4") == 0;
    info.namesTogether = magic == ExtMagic || magic == XFS_SUPER_MAGIC;
    if (magic == ExtMagic && ext34 && entriesWiped)
        info.names = NameTrace::Journal;
    else if (IsIn(magic, CopyOnWriteMagics))
        info.names = NameTrace::Copies;
    else
        info.names = NameTrace::FolderBlocks;
}

// Whether the file system's type needs its line of the mount table to tell
// what it is: tmpfs shares its number with devtmpfs, and ext3/4 say in their
// options whether data goes through the journal.
bool NeedsMountEntry(unsigned long magic)
{
    return magic == TMPFS_MAGIC || magic == ExtMagic;
}

} // namespace

FileSystemInfo ClassifyFileSystem(unsigned long magic, const char* mountType, std::string_view superOptions,
                                  bool swapActive, bool entriesWiped)
{
    FileSystemInfo info;
    info.system = IsIn(magic, SystemMagics);
    if (magic == TMPFS_MAGIC && std::strcmp(mountType, "devtmpfs") == 0)
        info.system = true;
    info.overwritesInPlace = !info.system && (magic == TMPFS_MAGIC || magic == RAMFS_MAGIC);
    // ramfs pages are never written to swap; tmpfs pages may be, while any is on.
    info.swapsOut = !info.system && magic == TMPFS_MAGIC && swapActive;
    const bool ext34 = std::strcmp(mountType, "ext3") == 0 || std::strcmp(mountType, "ext4") == 0;
    info.journalsData = magic == ExtMagic && ext34 && HasOption(superOptions, "data=journal");
    ClassifyTraces(info, magic, mountType, entriesWiped);
    return info;
}

bool WipesRemovedEntries(std::string_view release)
{
    int major = 0;
    int minor = 0;
    const char* end = release.data() + release.size();
    const auto [dot, failed] = std::from_chars(release.data(), end, major);
    if (failed != std::errc() || dot == end || *dot != '.' || std::from_chars(dot + 1, end, minor).ec != std::errc())
        return false;
    return major > 5 || (major == 5 && minor >= 13);
}

namespace {

bool ThisKernelWipesRemovedEntries()
{
    static const bool wipes = [] {
        struct utsname system;
        return ::uname(&system) == 0 && WipesRemovedEntries(system.release);
    }();
    return wipes;
}

} // namespace

FileSystemInfo FileSystemOfHandle(int fd)
{
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0)
        return {};
    const auto magic = static_cast<unsigned long>(fs.f_type);
    if (!NeedsMountEntry(magic))
        return ClassifyFileSystem(magic, "");
    const std::optional<MountEntry> mount = MountOfHandle(fd);
    const bool swapActive = magic == TMPFS_MAGIC && SwapIsActive();
    const bool wiped = ThisKernelWipesRemovedEntries();
    return mount ? ClassifyFileSystem(magic, mount->type.c_str(), mount->superOptions, swapActive, wiped)
                 : ClassifyFileSystem(magic, "", {}, swapActive, wiped);
}

} // namespace sorvex
