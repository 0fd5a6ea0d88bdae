#include "platform/Identity.h"

#include "platform/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvex {

RefusedCalls& RefusedForTests()
{
    static RefusedCalls refused;
    return refused;
}

namespace {

std::uint64_t MountByStatx(int fd)
{
    if (RefusedForTests().statx)
        return 0;
    struct statx stx;
    if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &stx) != 0 ||
        (stx.stx_mask & STATX_MNT_ID) == 0)
        return 0;
    return stx.stx_mnt_id;
}

std::uint64_t MountByFdinfo(int fd)
{
    if (RefusedForTests().fdinfo)
        return 0;
    const UniqueFd info(::open(("/proc/self/fdinfo/" + std::to_string(fd)).c_str(), O_RDONLY | O_CLOEXEC));
    if (!info.IsOpen())
        return 0;
    char text[1024]; // "pos:", "flags:" and "mnt_id:" come first
    ssize_t filled;
    do {
        filled = ::read(info.Get(), text, sizeof text);
    } while (filled < 0 && errno == EINTR);
    return filled > 0 ? MountIdInFdinfo({text, static_cast<std::size_t>(filled)}) : 0;
}

} // namespace

std::uint64_t MountIdOf(int fd)
{
    const std::uint64_t mount = MountByStatx(fd);
    return mount != 0 ? mount : MountByFdinfo(fd);
}

std::uint64_t MountIdInFdinfo(std::string_view text)
{
    constexpr std::string_view Key = "mnt_id:";
    for (std::size_t line = 0; line < text.size();) {
        const std::size_t end = std::min(text.find('\n', line), text.size());
        std::string_view row = text.substr(line, end - line);
        line = end + 1;
        if (!row.starts_with(Key))
            continue;
        row.remove_prefix(std::min(row.find_first_not_of(" \t", Key.size()), row.size()));
        std::uint64_t mount = 0;
        const auto [past, error] = std::from_chars(row.data(), row.data() + row.size(), mount);
        return error == std::errc() ? mount : 0;
    }
    return 0;
}

bool EntriesCarryTheirInode(unsigned long magic)
{
    switch (magic) {
    case EXT4_SUPER_MAGIC: // also ext2's and ext3's
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
        return true;
    default:
        return false;
    }
}

} // namespace sorvex
