#include "platform/FileSystems.h"

#include "platform/MountTable.h"

#include <cstring>
#include <optional>

#include <linux/magic.h>
#include <sys/statfs.h>

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

// Whether the file system's type needs its line of the mount table to tell
// what it is: tmpfs shares its number with devtmpfs, and ext3/4 say in their
// options whether data goes through the journal.
bool NeedsMountEntry(unsigned long magic)
{
    return magic == TMPFS_MAGIC || magic == ExtMagic;
}

} // namespace

FileSystemInfo ClassifyFileSystem(unsigned long magic, const char* mountType, std::string_view superOptions,
                                  bool swapActive)
{
    FileSystemInfo info;
    for (const unsigned long system : SystemMagics)
        info.system = info.system || magic == system;
    if (magic == TMPFS_MAGIC && std::strcmp(mountType, "devtmpfs") == 0)
        info.system = true;
    info.overwritesInPlace = !info.system && (magic == TMPFS_MAGIC || magic == RAMFS_MAGIC);
    // ramfs pages are never written to swap; tmpfs pages may be, while any is on.
    info.swapsOut = !info.system && magic == TMPFS_MAGIC && swapActive;
    const bool ext34 = std::strcmp(mountType, "ext3") == 0 || std::strcmp(mountType, "ext4") == 0;
    info.journalsData = magic == ExtMagic && ext34 && HasOption(superOptions, "data=journal");
    return info;
}

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
    return mount ? ClassifyFileSystem(magic, mount->type.c_str(), mount->superOptions, swapActive)
                 : ClassifyFileSystem(magic, "", {}, swapActive);
}

} // namespace sorvex
