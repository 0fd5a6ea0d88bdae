#include "platform/PosixServices.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvex {

// d_type is free; only when the file system leaves it unknown do we ask, and
// even then without following a link.
bool IsFolderEntry(int dirFd, const char* name, unsigned char type)
{
    if (type != DT_UNKNOWN)
        return type == DT_DIR;
    struct stat st;
    return ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

namespace {

bool IsDotEntry(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Reads the entries straight from the kernel: fdopendir would add an fstat
// and an fcntl to the open, two reads and close each folder needs.
// Stops quietly at a read error: what was read so far is still worth having.
void ReadAllEntries(int dirFd, FolderListing& out)
{
    alignas(dirent64) char buffer[32768];
    for (;;) {
        const ssize_t filled = ::getdents64(dirFd, buffer, sizeof buffer);
        if (filled <= 0)
            return;
        for (ssize_t offset = 0; offset < filled;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            if (!IsDotEntry(entry->d_name))
                out.Add(entry->d_name, IsFolderEntry(dirFd, entry->d_name, entry->d_type));
        }
    }
}

// For file systems where fchmodat cannot refuse to follow a link: pin the
// name itself with O_PATH, check it is a regular file, and change the mode
// through the descriptor's /proc entry, which cannot lead anywhere else.
void ChmodThroughHandle(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const std::string handle = "/proc/self/fd/" + std::to_string(fd);
        (void)::chmod(handle.c_str(), (st.st_mode & 07777) | S_IWUSR);
    }
    ::close(fd);
}

bool IsRegularFile(int fd)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

// O_NONBLOCK only guards the open against FIFOs and leases held by others;
// writes to the file itself should behave as usual.
void MakeBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

bool LockExclusively(int fd)
{
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

// The kernel grants a write lease only while nobody else has the file open.
// Where leases say nothing (unsupported file system, not the owner, ...) we
// go on without knowing.
bool OpenElsewhere(int fd)
{
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
        (void)::fcntl(fd, F_SETLEASE, F_UNLCK);
        return false;
    }
    return errno == EAGAIN || errno == EBUSY;
}

// The path without the separators it ends in (but "/" itself): the kernel
// follows a link named "link/" whatever the open's flags say.
std::string WithoutTrailingSeparators(const std::string& path)
{
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/')
        --end;
    return path.substr(0, end);
}

} // namespace

// Someone opening a file while we briefly hold its lease makes the kernel
// send SIGIO, whose default action would end the program.
PosixServices::PosixServices()
{
    (void)std::signal(SIGIO, SIG_IGN);
}

bool PosixServices::ListFolder(const std::string& path, bool followLink, FolderListing& out)
{
    out.Clear();
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    const int fd = ::open(followLink ? path.c_str() : WithoutTrailingSeparators(path).c_str(), flags);
    if (fd < 0)
        return false;
    ReadAllEntries(fd, out);
    ::close(fd);
    return true;
}

PathInfo PosixServices::Inspect(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return {};
    PathInfo info;
    info.links = st.st_nlink;
    if (S_ISREG(st.st_mode))
        info.kind = PathKind::Regular;
    else if (S_ISLNK(st.st_mode))
        info.kind = PathKind::Link;
    else
        info.kind = PathKind::Other;
    return info;
}

void PosixServices::MakeWritable(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    const mode_t mode = (st.st_mode & 07777) | S_IWUSR;
    if (::fchmodat(AT_FDCWD, path.c_str(), mode, AT_SYMLINK_NOFOLLOW) == 0)
        return;
    if (errno == EOPNOTSUPP || errno == ENOTSUP)
        ChmodThroughHandle(path);
}

int PosixServices::OpenForWriting(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (!IsRegularFile(fd) || !LockExclusively(fd) || OpenElsewhere(fd)) {
        ::close(fd);
        return -1;
    }
    MakeBlocking(fd);
    return fd;
}

std::int64_t PosixServices::Size(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

long PosixServices::Write(int fd, const void* data, std::size_t count)
{
    ssize_t written;
    do {
        written = ::write(fd, data, count);
    } while (written < 0 && errno == EINTR);
    return static_cast<long>(written);
}

bool PosixServices::Flush(int fd)
{
    int result;
    do {
        result = ::fdatasync(fd);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

void PosixServices::Close(int fd)
{
    // Not retried on EINTR: Linux has released the descriptor either way.
    (void)::close(fd);
}

void PosixServices::Remove(const std::string& path)
{
    (void)::unlink(path.c_str());
}

std::uint32_t PosixServices::TickCount()
{
    // steady_clock is CLOCK_MONOTONIC here: time since the system started.
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms.count()));
}

FileServices& SystemServices()
{
    static PosixServices services;
    return services;
}

} // namespace sorvex
