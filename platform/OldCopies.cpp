#include "platform/OldCopies.h"

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace sorvex {

namespace {

// The per-file flag ext3/ext4 give a file whose data goes through the
// journal (chattr +j); a file system without flags has no such file.
bool JournalsOwnData(int fd)
{
    int flags = 0;
    return ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_JOURNAL_DATA_FL) != 0;
}

bool OnOverlay(int fd)
{
    struct statfs fs;
    return ::fstatfs(fd, &fs) == 0 && static_cast<unsigned long>(fs.f_type) == OVERLAYFS_SUPER_MAGIC;
}

// The path the open folder has in this process's view of the mounts.
std::optional<std::string> PathOfHandle(int fd)
{
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::string path(4096, '\0');
    const ssize_t length = ::readlink(link.c_str(), path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size() || path[0] != '/')
        return std::nullopt;
    path.resize(static_cast<std::size_t>(length));
    return path;
}

bool IsFolder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Only looks: a layer is never opened, let alone written.
bool Holds(const std::string& layer, const std::string& inside)
{
    struct stat st;
    return ::fstatat(AT_FDCWD, (layer + inside).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Whether a lower layer may keep the file: yes when one holds an entry at its
// path, and yes whenever the layers cannot be learnt (not in the mount table,
// not named there, not visible from here): its old bytes may well be there.
// The file, opened for writing, is in the upper layer by now: when that does
// not show it where its path says, this view of the layers is not to be trusted.
bool LowerLayerMayKeep(int folder, std::string_view name)
{
    const std::optional<MountEntry> overlay = MountOfHandle(folder);
    const std::optional<std::string> folderPath = PathOfHandle(folder);
    if (!overlay || !folderPath)
        return true;
    const std::optional<std::string> inside = PathInLayers(*overlay, *folderPath, name);
    const std::vector<std::string> layers = LowerLayers(overlay->superOptions);
    if (!inside || layers.empty())
        return true;
    const std::string upper = OptionValue(overlay->superOptions, "upperdir");
    if (upper.empty() || upper[0] != '/' || !Holds(upper, *inside))
        return true;
    for (const std::string& layer : layers)
        if (layer.empty() || layer[0] != '/' || !IsFolder(layer) || Holds(layer, *inside))
            return true;
    return false;
}

} // namespace

std::optional<std::string> PathInLayers(const MountEntry& overlay, std::string_view folderPath, std::string_view name)
{
    std::string_view point = overlay.mountPoint;
    if (point.ends_with('/'))
        point.remove_suffix(1); // "/" itself
    if (!folderPath.starts_with(point) || (folderPath.size() > point.size() && folderPath[point.size()] != '/'))
        return std::nullopt;
    std::string inside = overlay.root == "/" ? std::string() : overlay.root;
    inside += folderPath.substr(point.size());
    if (!inside.ends_with('/'))
        inside += '/';
    return inside + std::string(name);
}

OldCopy OldCopyOfHandle(int folder, std::string_view name, int fd)
{
    if (JournalsOwnData(fd))
        return OldCopy::Journal;
    if (OnOverlay(folder) && LowerLayerMayKeep(folder, name))
        return OldCopy::LowerLayer;
    return OldCopy::None;
}

} // namespace sorvex
