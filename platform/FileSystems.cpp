#include "platform/FileSystems.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

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

// The type the mount table gives the mount of device dev, or "".
std::string MountTypeOf(dev_t dev)
{
    std::FILE* table = std::fopen("/proc/self/mountinfo", "re");
    if (table == nullptr)
        return {};
    const std::string wanted = std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
    std::string type;
    char* line = nullptr;
    std::size_t capacity = 0;
    while (type.empty() && ::getline(&line, &capacity, table) > 0) {
        // "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue"
        char device[64];
        if (std::sscanf(line, "%*s %*s %63s", device) != 1 || wanted != device)
            continue;
        const char* dash = std::strstr(line, " - ");
        char name[64];
        if (dash != nullptr && std::sscanf(dash + 3, "%63s", name) == 1)
            type = name;
    }
    std::free(line);
    std::fclose(table);
    return type;
}

} // namespace

FileSystemInfo ClassifyFileSystem(unsigned long magic, const char* mountType)
{
    FileSystemInfo info;
    for (const unsigned long system : SystemMagics)
        info.system = info.system || magic == system;
    if (magic == TMPFS_MAGIC && std::strcmp(mountType, "devtmpfs") == 0)
        info.system = true;
    info.overwritesInPlace = !info.system && (magic == TMPFS_MAGIC || magic == RAMFS_MAGIC);
    return info;
}

FileSystemInfo FileSystemOfHandle(int fd)
{
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0)
        return {};
    const auto magic = static_cast<unsigned long>(fs.f_type);
    std::string mountType;
    struct stat st;
    if (magic == TMPFS_MAGIC && ::fstat(fd, &st) == 0)
        mountType = MountTypeOf(st.st_dev);
    return ClassifyFileSystem(magic, mountType.c_str());
}

} // namespace sorvex
