#include "platform/FreeSpace.h"

#include "platform/FileSystems.h"
#include "platform/Identity.h"
#include "platform/Media.h"
#include "platform/MountTable.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvex {

namespace {

constexpr unsigned long ExtMagic = 0xEF53;

SpaceFault FaultOf(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
    case EMLINK:
        return SpaceFault::Full;
    case EEXIST:
        return SpaceFault::Exists;
    case EROFS:
        return SpaceFault::ReadOnly;
    case EACCES:
    case EPERM:
        return SpaceFault::Denied;
    case EWOULDBLOCK:
        return SpaceFault::Busy;
    default:
        return SpaceFault::Failed;
    }
}

Made Refused(int error)
{
    return {UniqueFd(), FaultOf(error)};
}

// "/sys/dev/block/8:1", the system's folder of the block device dev.
std::string DeviceFolder(dev_t dev)
{
    return "/sys/dev/block/" + std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
}

// The kernel's name of the block device ("sda1", "loop0", "dm-0"): how its
// journal and its log are named under /proc and /sys.
std::string DeviceName(dev_t dev)
{
    char target[4096];
    const ssize_t length = ::readlink(DeviceFolder(dev).c_str(), target, sizeof target - 1);
    if (length <= 0)
        return {};
    const std::string_view path(target, static_cast<std::size_t>(length));
    return std::string(path.substr(path.rfind('/') + 1));
}

bool SameDevice(int fd, const char* path)
{
    struct stat open;
    struct stat other;
    return path != nullptr && ::fstat(fd, &open) == 0 && ::stat(path, &other) == 0 && open.st_dev == other.st_dev;
}

bool KeepsCopies(std::string_view type)
{
    return type == "btrfs" || type == "xfs" || type == "bcachefs" || type == "zfs";
}

// jbd2 names the most a transaction may hold, a third of the journal (a
// quarter on older kernels): four times that is the journal at least.
std::int64_t ExtJournalLength(const std::string& device, std::int64_t blockSize)
{
    const std::string info = ReadText(("/proc/fs/jbd2/" + device + "-8/info").c_str());
    const std::size_t upTo = info.find("each up to ");
    if (upTo == std::string::npos)
        return -1;
    return 4 * std::atoll(info.c_str() + upTo + 11) * blockSize;
}

// "cycle:block" of the xfs log's head.
void ReadXfsHead(const std::string& device, Journal& journal)
{
    const std::string head = ReadText(("/sys/fs/xfs/" + device + "/log/log_head_lsn").c_str());
    const std::size_t colon = head.find(':');
    if (colon == std::string::npos)
        return;
    journal.headKnown = true;
    journal.cycle = std::strtoull(head.c_str(), nullptr, 10);
    journal.block = std::strtoull(head.c_str() + colon + 1, nullptr, 10);
}

// Reads the folder's entries from the start; removes each, a folder with
// what it holds while depth allows. Only system calls that are safe in a
// process just forked: the guard runs this. True when it removed any: an
// entry that cannot be removed is met again by the next reading, and a
// reading that removes nothing is the last.
bool RemoveEntries(int folder, int depth, const std::function<void()>& between, int& sinceBetween)
{
    alignas(dirent64) char buffer[8192];
    bool removed = false;
    (void)::lseek(folder, 0, SEEK_SET);
    for (;;) {
        const long filled = ::syscall(SYS_getdents64, folder, buffer, sizeof buffer);
        if (filled <= 0)
            return removed;
        for (long offset = 0; offset < filled;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            const char* name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                continue;
            bool gone = ::unlinkat(folder, name, 0) == 0;
            if (!gone && errno == EISDIR && depth > 0) {
                const int inner = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (inner >= 0) {
                    while (RemoveEntries(inner, depth - 1, between, sinceBetween)) {}
                    (void)::close(inner);
                }
                gone = ::unlinkat(folder, name, AT_REMOVEDIR) == 0;
            }
            removed = removed || gone;
            if (between && ++sinceBetween == 1024) {
                sinceBetween = 0;
                between();
            }
        }
    }
}

void ClearAll(int folder, const std::function<void()>& between)
{
    int sinceBetween = 0;
    while (RemoveEntries(folder, 1, between, sinceBetween)) {}
}

// Closes every descriptor but the three kept, which are sorted.
void CloseAllBut(const int (&kept)[3])
{
    unsigned from = 3;
    for (const int fd : kept) {
        if (static_cast<unsigned>(fd) > from)
            (void)::syscall(SYS_close_range, from, static_cast<unsigned>(fd) - 1, 0);
        from = static_cast<unsigned>(fd) + 1;
    }
    (void)::syscall(SYS_close_range, from, ~0u, 0);
}

// The guard's whole life: waits until the program keeps the folder ('k'),
// hands it over ('r') or ends (the pipe closes with nothing), and in those
// two cases removes it.
[[noreturn]] void GuardUntilReleased(int pipe, int parent, int folder, const char* name)
{
    (void)::setsid(); // out of the terminal's reach: Ctrl+C ends the program, not the guard
    int kept[3] = {pipe, parent, folder};
    std::sort(std::begin(kept), std::end(kept));
    CloseAllBut(kept);
    char byte;
    ssize_t read;
    do {
        read = ::read(pipe, &byte, 1);
    } while (read < 0 && errno == EINTR);
    if (read != 1 || byte != 'k') {
        ClearAll(folder, {});
        (void)::unlinkat(parent, name, AT_REMOVEDIR);
    }
    ::_exit(0);
}

class PosixFreeSpace final : public FreeSpaceServices {
public:
    Room RoomOf(int fd) override
    {
        struct statvfs fs;
        if (::fstatvfs(fd, &fs) != 0)
            return {};
        const auto unit = static_cast<std::int64_t>(fs.f_frsize);
        Room room;
        room.size = static_cast<std::int64_t>(fs.f_blocks) * unit;
        room.available = static_cast<std::int64_t>(fs.f_bavail) * unit;
        room.freeInodes = fs.f_files > 0 ? static_cast<std::int64_t>(fs.f_ffree) : -1;
        room.nameMax = static_cast<int>(std::min<unsigned long>(fs.f_namemax, 255));
        room.readOnly = (fs.f_flag & ST_RDONLY) != 0;
        return room;
    }

    Place PlaceOf(int fd) override
    {
        const std::optional<MountEntry> mount = MountOfHandle(fd);
        const Medium medium = MediumOfHandle(fd);
        Place place;
        place.mountPoint = medium.mountPoint;
        place.type = mount ? mount->type : std::string();
        struct statfs fs;
        const auto magic = ::fstatfs(fd, &fs) == 0 ? static_cast<unsigned long>(fs.f_type) : 0;
        place.notADisk = magic == TMPFS_MAGIC || magic == RAMFS_MAGIC || FileSystemOfHandle(fd).system;
        place.keepsLastPercent = SameDevice(fd, "/") || SameDevice(fd, std::getenv("HOME"));
        place.copyOnWrite = KeepsCopies(place.type);
        place.overlay = place.type == "overlay";
        place.flash = medium.flash;
        return place;
    }

    Journal JournalOf(int fd) override
    {
        struct statfs fs;
        struct stat st;
        Journal journal;
        if (::fstatfs(fd, &fs) != 0 || ::fstat(fd, &st) != 0)
            return journal;
        const auto magic = static_cast<unsigned long>(fs.f_type);
        const std::string device = DeviceName(st.st_dev);
        if (magic == ExtMagic) {
            const std::int64_t length = ExtJournalLength(device, static_cast<std::int64_t>(fs.f_bsize));
            journal.present = length != -1; // ext2 and ext4 without a journal have no jbd2 entry
            journal.length = std::max<std::int64_t>(length, 0);
        } else if (magic == XFS_SUPER_MAGIC) {
            journal.present = true;
            ReadXfsHead(device, journal);
        }
        return journal;
    }

    Made MakeFolder(int parent, std::string_view name) override
    {
        if (::mkdirat(parent, std::string(name).c_str(), 0700) != 0)
            return Refused(errno);
        Opened opened = SystemServices().OpenSubfolder(parent, name);
        if (!opened.fd.IsOpen())
            return {UniqueFd(), SpaceFault::Failed};
        if (::flock(opened.fd.Get(), LOCK_EX | LOCK_NB) != 0)
            return {UniqueFd(), SpaceFault::Busy};
        return {std::move(opened.fd)};
    }

    // Only a folder of this user that none but its owner may enter, as a
    // wipe makes it, and that no live wipe holds.
    SpaceFault RemoveLeftover(int parent, std::string_view name) override
    {
        const Opened opened = SystemServices().OpenSubfolder(parent, name);
        if (opened.why == Refusal::Missing)
            return SpaceFault::None;
        struct stat st;
        if (!opened.fd.IsOpen() || ::fstat(opened.fd.Get(), &st) != 0 || st.st_uid != ::geteuid() ||
            (st.st_mode & 07777) != 0700)
            return SpaceFault::Denied;
        if (::flock(opened.fd.Get(), LOCK_EX | LOCK_NB) != 0)
            return SpaceFault::Busy;
        ClearAll(opened.fd.Get(), {});
        return RemoveFolder(parent, name) ? SpaceFault::None : SpaceFault::Failed;
    }

    void ClearFolder(int folder, const std::function<void()>& between) override { ClearAll(folder, between); }

    bool RemoveFolder(int parent, std::string_view name) override
    {
        return ::unlinkat(parent, std::string(name).c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT;
    }

    // Forked before any file of the wipe is opened: the guard holds no copy
    // of them, so closing them gives their room back at once. Forked twice:
    // the first child ends at once, and the guard, the init process's now,
    // needs no waiting for when it ends.
    FolderGuard Guard(int parent, int folder, std::string_view name) override
    {
        char bare[256] = {};
        name.copy(bare, std::min(name.size(), sizeof bare - 1));
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return {};
        const pid_t child = ::fork();
        if (child == 0) {
            if (::fork() == 0)
                GuardUntilReleased(ends[0], parent, folder, bare);
            ::_exit(0);
        }
        (void)::close(ends[0]);
        if (child < 0) {
            (void)::close(ends[1]);
            return {};
        }
        (void)::waitpid(child, nullptr, 0);
        return FolderGuard(ends[1]);
    }

    Made OpenUnnamed(int folder) override
    {
        if (RefusedForTests().tmpfile)
            return {UniqueFd(), SpaceFault::Failed};
        const int fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0)
            return {UniqueFd(fd)};
        const bool none = errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL;
        return none ? Made{UniqueFd(), SpaceFault::Failed} : Refused(errno);
    }

    Made MakeFile(int folder, std::string_view name) override
    {
        const int fd =
            ::openat(folder, std::string(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        return fd >= 0 ? Made{UniqueFd(fd)} : Refused(errno);
    }

    bool RemoveName(int folder, std::string_view name) override
    {
        return ::unlinkat(folder, std::string(name).c_str(), 0) == 0 || errno == ENOENT;
    }

    SpaceFault MakeName(int folder, std::string_view name) override
    {
        return ::mknodat(folder, std::string(name).c_str(), S_IFREG | 0600, 0) == 0 ? SpaceFault::None : FaultOf(errno);
    }

    Filled Fill(int fd, const void* data, std::size_t count, std::int64_t offset) override
    {
        Filled filled;
        const auto* bytes = static_cast<const char*>(data);
        while (static_cast<std::size_t>(filled.written) < count) {
            const ssize_t written = ::pwrite(fd, bytes + filled.written,
                                             count - static_cast<std::size_t>(filled.written), offset + filled.written);
            if (written > 0)
                filled.written += written;
            else if (written < 0 && errno != EINTR)
                return {filled.written, FaultOf(errno)};
            else if (written == 0)
                return {filled.written, SpaceFault::Full};
        }
        return filled;
    }

    bool Touch(int folder, std::string_view name, bool odd) override
    {
        const timespec time{odd ? 1 : 2, 0};
        const timespec times[2] = {time, time};
        return ::utimensat(folder, std::string(name).c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
    }

    bool SyncAll(int fd) override { return ::syncfs(fd) == 0; }
};

} // namespace

FolderGuard& FolderGuard::operator=(FolderGuard&& other) noexcept
{
    if (this != &other) {
        Release();
        pipe_ = other.pipe_;
        other.pipe_ = -1;
    }
    return *this;
}

bool FolderGuard::LetGo(char what)
{
    if (pipe_ < 0)
        return false;
    if (::write(pipe_, &what, 1) != 1) {
        // The guard is gone already: closing the pipe is all that is left.
    }
    (void)::close(pipe_);
    pipe_ = -1;
    return true;
}

FreeSpaceServices& SystemFreeSpace()
{
    static PosixFreeSpace services;
    return services;
}

} // namespace sorvex
