#include "platform/Media.h"

#include "platform/MountTable.h"

#include <fstream>
#include <optional>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace sorvex {

namespace {

constexpr int MaxDepth = 8; // a loop over a file on a mapped device over a partition, and some

std::string FirstLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string DeviceText(dev_t device)
{
    return std::to_string(major(device)) + ":" + std::to_string(minor(device));
}

bool IsPartition(const std::string& folder)
{
    struct stat st;
    return ::stat((folder + "/partition").c_str(), &st) == 0;
}

bool OnFlashBelow(const std::string& sysBlock, const std::string& device, int depth);

// The devices a mapped device is made of, each by its "major:minor".
bool AnyOnFlash(const std::string& sysBlock, const std::string& slaves, int depth)
{
    DIR* folder = ::opendir(slaves.c_str());
    if (folder == nullptr)
        return false;
    bool flash = false;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (!flash && name != "." && name != "..")
            flash = OnFlashBelow(sysBlock, FirstLine(slaves + "/" + name + "/dev"), depth + 1);
    }
    ::closedir(folder);
    return flash;
}

// The device holding a loop device's file; nothing for a file on a file
// system without one of its own (tmpfs, btrfs's anonymous devices).
std::optional<std::string> BackingDevice(const std::string& folder)
{
    const std::string file = FirstLine(folder + "/loop/backing_file");
    struct stat st;
    if (file.empty() || ::stat(file.c_str(), &st) != 0 || major(st.st_dev) == 0)
        return std::nullopt;
    return DeviceText(st.st_dev);
}

bool OnFlashBelow(const std::string& sysBlock, const std::string& device, int depth)
{
    if (device.empty() || depth > MaxDepth)
        return false;
    std::string folder = sysBlock + "/" + device;
    if (IsPartition(folder))
        folder += "/.."; // the disk: ".." of the device's own folder, not of the link to it
    if (FirstLine(folder + "/queue/rotational") == "0")
        return true;
    if (const std::optional<std::string> backing = BackingDevice(folder))
        return OnFlashBelow(sysBlock, *backing, depth + 1);
    return AnyOnFlash(sysBlock, folder + "/slaves", depth);
}

// The device of the mount: its own number, or where that is anonymous
// (btrfs, and file systems without a device) the device it was mounted from.
std::string DeviceOf(const MountEntry& mount)
{
    if (!mount.device.starts_with("0:"))
        return mount.device;
    struct stat st;
    if (mount.source.starts_with("/dev/") && ::stat(mount.source.c_str(), &st) == 0 && S_ISBLK(st.st_mode))
        return DeviceText(st.st_rdev);
    return {};
}

} // namespace

bool OnFlash(const std::string& sysBlock, std::string_view device)
{
    return OnFlashBelow(sysBlock, std::string(device), 0);
}

Medium MediumOfHandle(int fd)
{
    const std::optional<MountEntry> mount = MountOfHandle(fd);
    if (!mount)
        return {};
    return {mount->mountPoint, OnFlash("/sys/dev/block", DeviceOf(*mount))};
}

} // namespace sorvex
