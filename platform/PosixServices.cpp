#include "platform/PosixServices.h"

#include "platform/FileSystems.h"
#include "platform/Identity.h"
#include "platform/Media.h"
#include "platform/OldCopies.h"
#include "platform/SmallFiles.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <system_error>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <linux/openat2.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
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

FileId IdOfStat(const struct stat& st)
{
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// How the entries of one folder are told apart: where its file system's
// entries carry their inode (dev set), by that and the folder's device, for
// free; elsewhere by a look at each name, without following a link.
struct EntryLook {
    int dirFd = -1;
    std::uint64_t dev = 0; // 0: look each entry up

    void Add(const dirent64& entry, FolderListing& out) const
    {
        struct stat st;
        if (dev == 0 && ::fstatat(dirFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            out.Add(entry.d_name, S_ISDIR(st.st_mode), IdOfStat(st));
            return;
        }
        // Gone since it was read, or on a file system we vouch for.
        out.Add(entry.d_name, IsFolderEntry(dirFd, entry.d_name, entry.d_type),
                {dev, static_cast<std::uint64_t>(entry.d_ino)});
    }
};

bool LookOf(int dirFd, EntryLook& look)
{
    struct stat folder;
    struct statfs fs;
    if (::fstat(dirFd, &folder) != 0 || ::fstatfs(dirFd, &fs) != 0)
        return false;
    look.dirFd = dirFd;
    if (EntriesCarryTheirInode(static_cast<unsigned long>(fs.f_type)))
        look.dev = static_cast<std::uint64_t>(folder.st_dev);
    return true;
}

// Reads the entries straight from the kernel: fdopendir would add an fstat
// and an fcntl to the open, two reads and close each folder needs.
// A read error part-way keeps what was read so far, and says so.
Listed ReadAllEntries(int dirFd, FolderListing& out, const std::function<bool()>& betweenBatches)
{
    EntryLook look;
    if (!LookOf(dirFd, look))
        return Listed::Nothing;
    alignas(dirent64) char buffer[32768];
    for (bool first = true;; first = false) {
        if (!first && betweenBatches && !betweenBatches())
            return Listed::Whole;
        const ssize_t filled = ::getdents64(dirFd, buffer, sizeof buffer);
        if (filled < 0)
            return first ? Listed::Nothing : Listed::Cut;
        if (filled == 0)
            return Listed::Whole;
        for (ssize_t offset = 0; offset < filled;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            if (!IsDotEntry(entry->d_name))
                look.Add(*entry, out);
        }
    }
}

Refusal RefusalOf(int error)
{
    switch (error) {
    case ENOENT:
        return Refusal::Missing;
    case EACCES:
    case EPERM:
        return Refusal::Denied;
    case ELOOP: // a link where none may be
    case ENOTDIR:
    case ENXIO: // a FIFO or a device
    case EISDIR:
        return Refusal::Changed;
    case EXDEV:
        return Refusal::OtherMount;
    case ETXTBSY:
    case EWOULDBLOCK:
        return Refusal::Busy;
    case EROFS:
        return Refusal::ReadOnly;
    default:
        return Refusal::Failed;
    }
}

Opened Refused(int error)
{
    return {UniqueFd(), RefusalOf(error), error};
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

// A bare name: one component, never "." or "..".
bool IsBareName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

bool IsRefusal(int error)
{
    return error == ENOSYS || error == EPERM; // an old kernel, or a sandbox's filter
}

long OpenAt2(int parent, const char* name, int flags)
{
    if (RefusedForTests().openat2) {
        errno = EPERM;
        return -1;
    }
    open_how how{};
    how.flags = static_cast<decltype(how.flags)>(flags | O_NOFOLLOW | O_CLOEXEC);
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_NO_XDEV;
    long fd;
    do {
        fd = ::syscall(SYS_openat2, parent, name, &how, sizeof how);
    } while (fd < 0 && (errno == EINTR || errno == EAGAIN));
    return fd;
}

// Without openat2, O_NOFOLLOW still refuses a link, and a mount crossing (a
// bind mount of the same file system too) is told by the mount ids of parent
// and child. Where no mount id can be had, nothing is entered.
Opened OpenBelowByMount(int parent, const char* name, int flags)
{
    UniqueFd fd(::openat(parent, name, flags | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.IsOpen())
        return Refused(errno);
    const std::uint64_t above = MountIdOf(parent);
    if (above == 0 || above != MountIdOf(fd.Get()))
        return Refused(EXDEV);
    return {std::move(fd)};
}

// Opens the name below parent without following a link anywhere or entering
// another mount: by openat2, or where the system refuses that call, by the
// way round it.
Opened OpenBelow(int parent, std::string_view name, int flags)
{
    if (!IsBareName(name))
        return Refused(ELOOP);
    const std::string bare(name);
    const long fd = OpenAt2(parent, bare.c_str(), flags);
    if (fd >= 0)
        return {UniqueFd(static_cast<int>(fd))};
    if (!IsRefusal(errno))
        return Refused(errno);
    return OpenBelowByMount(parent, bare.c_str(), flags);
}

Node LookFailed(int error)
{
    Node node;
    node.kind = error == ENOENT ? NodeKind::Missing : NodeKind::Unknown;
    node.error = error;
    return node;
}

NodeKind KindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return NodeKind::Regular;
    if (S_ISDIR(mode))
        return NodeKind::Folder;
    if (S_ISLNK(mode))
        return NodeKind::Link;
    return NodeKind::Special;
}

// The name's kind, identity, links and mount, without following a link;
// false, with errno set, when the system does not tell.
bool StatxOf(int folder, const char* name, struct statx& stx)
{
    if (RefusedForTests().statx) {
        errno = EPERM;
        return false;
    }
    constexpr unsigned Wanted = STATX_TYPE | STATX_INO | STATX_NLINK | STATX_MNT_ID;
    return ::statx(folder, name, AT_SYMLINK_NOFOLLOW, Wanted, &stx) == 0;
}

std::string HandlePath(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

// Gives the owner write permission through a handle that names the inode
// itself, never a name that could have become a link meanwhile. True when
// the mode was changed.
bool MakeWritable(int pathFd, const struct stat& st)
{
    return (st.st_mode & S_IWUSR) == 0 && ::chmod(HandlePath(pathFd).c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

// EPERM, where EACCES would say the mode forbids it, is mostly the file's
// attributes: immutable or append-only, when the file system tells them.
Refusal WhyNotPermitted(int pathFd, const Opened& refused)
{
    constexpr std::uint64_t Locked = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
    struct statx stx;
    if (refused.error == EPERM && ::statx(pathFd, "", AT_EMPTY_PATH, 0, &stx) == 0 &&
        (stx.stx_attributes_mask & stx.stx_attributes & Locked) != 0)
        return Refusal::Protected;
    return refused.why;
}

// Opens for writing the very inode pathFd names. Without /proc, the name is
// opened again, still never following a link and refusing to wait on a FIFO,
// and must still be the inode found.
Opened ReopenForWriting(int folder, const std::string& name, int pathFd, FileId expected)
{
    constexpr int Flags = O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    UniqueFd fd(::open(HandlePath(pathFd).c_str(), Flags));
    if (fd.IsOpen())
        return {std::move(fd)};
    if (errno != ENOENT)
        return Refused(errno);
    fd = UniqueFd(::openat(folder, name.c_str(), Flags | O_NOFOLLOW));
    if (!fd.IsOpen())
        return Refused(errno);
    struct stat st;
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || !(IdOfStat(st) == expected))
        return Refused(ELOOP);
    return {std::move(fd)};
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

// O_NONBLOCK only guarded the open; writes to the file behave as usual.
void MakeBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

std::uint32_t FlagsOf(std::uint32_t fiemapFlags)
{
    std::uint32_t flags = 0;
    if (fiemapFlags & FIEMAP_EXTENT_SHARED)
        flags |= Extent::Shared;
    if (fiemapFlags & (FIEMAP_EXTENT_DATA_INLINE | FIEMAP_EXTENT_DATA_TAIL | FIEMAP_EXTENT_NOT_ALIGNED))
        flags |= Extent::Inline;
    if (fiemapFlags & FIEMAP_EXTENT_ENCODED)
        flags |= Extent::Encoded;
    if (fiemapFlags & FIEMAP_EXTENT_UNKNOWN)
        flags |= Extent::Unknown;
    if (fiemapFlags & FIEMAP_EXTENT_DELALLOC)
        flags |= Extent::Delayed;
    return flags;
}

} // namespace

// Someone opening a file while we briefly hold its lease makes the kernel
// send SIGIO, whose default action would end the program.
PosixServices::PosixServices()
{
    (void)std::signal(SIGIO, SIG_IGN);
}

Opened PosixServices::OpenFolder(const std::string& path, bool lastIsListed)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (lastIsListed ? O_NOFOLLOW : 0);
    UniqueFd fd(*this, ::open(WithoutTrailingSeparators(path).c_str(), flags));
    if (!fd.IsOpen())
        return Refused(errno);
    return {std::move(fd)};
}

Opened PosixServices::OpenSubfolder(int parent, std::string_view name)
{
    return HandedTo(*this, OpenBelow(parent, name, O_RDONLY | O_DIRECTORY));
}

Listed PosixServices::ListFolder(int folder, FolderListing& out, const std::function<bool()>& betweenBatches)
{
    out.Clear();
    return ReadAllEntries(folder, out, betweenBatches);
}

FileId PosixServices::IdOf(int fd)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 ? IdOfStat(st) : FileId{};
}

std::uint64_t PosixServices::MountOf(int fd)
{
    return MountIdOf(fd);
}

FileSystemInfo PosixServices::FileSystemOf(int fd)
{
    return FileSystemOfHandle(fd);
}

Medium PosixServices::MediumOf(int fd)
{
    return MediumOfHandle(fd);
}

Opened PosixServices::Duplicate(int fd)
{
    UniqueFd copy(*this, ::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!copy.IsOpen())
        return Refused(errno);
    return {std::move(copy)};
}

// One statx tells the mount too; where the system refuses statx, fstatat
// tells the rest.
Node PosixServices::Inspect(int folder, std::string_view name)
{
    if (!IsBareName(name))
        return {};
    const std::string bare(name);
    struct statx stx;
    if (StatxOf(folder, bare.c_str(), stx)) {
        const FileId id{static_cast<std::uint64_t>(::makedev(stx.stx_dev_major, stx.stx_dev_minor)), stx.stx_ino};
        const std::uint64_t mount = (stx.stx_mask & STATX_MNT_ID) != 0 ? stx.stx_mnt_id : 0;
        return {KindOf(stx.stx_mode), id, stx.stx_nlink, mount};
    }
    struct stat st;
    if (!IsRefusal(errno) || ::fstatat(folder, bare.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return LookFailed(errno);
    return {KindOf(st.st_mode), IdOfStat(st), static_cast<std::uint64_t>(st.st_nlink)};
}

// The name is pinned first with a descriptor that opens nothing (O_PATH):
// only when that is a regular file, and the one expected, is the inode itself
// opened for writing. A device or FIFO put in its place meanwhile is never
// opened, so opening cannot wake a reader or arm a device. A file refused
// after all (busy, locked) gets back the mode it had.
Opened PosixServices::OpenForWriting(int folder, std::string_view name, FileId expected)
{
    Opened path = OpenBelow(folder, name, O_PATH);
    if (!path.fd.IsOpen())
        return path;
    struct stat st;
    if (::fstat(path.fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || !(IdOfStat(st) == expected))
        return Refused(ELOOP);
    const bool madeWritable = MakeWritable(path.fd.Get(), st);
    const mode_t mode = st.st_mode & 07777;
    Opened file = ReopenForWriting(folder, std::string(name), path.fd.Get(), expected);
    if (!file.fd.IsOpen()) {
        if (madeWritable)
            (void)::chmod(HandlePath(path.fd.Get()).c_str(), mode);
        file.why = WhyNotPermitted(path.fd.Get(), file);
        return file;
    }
    path.fd.Reset(); // before the lease check, which it would disturb
    if (::flock(file.fd.Get(), LOCK_EX | LOCK_NB) != 0 || OpenElsewhere(file.fd.Get())) {
        if (madeWritable)
            (void)::fchmod(file.fd.Get(), mode);
        return Refused(EWOULDBLOCK);
    }
    MakeBlocking(file.fd.Get());
    return HandedTo(*this, std::move(file));
}

std::int64_t PosixServices::Size(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

long PosixServices::Write(int fd, const void* data, std::size_t count, std::int64_t offset)
{
    ssize_t written;
    do {
        written = ::pwrite(fd, data, count, offset);
    } while (written < 0 && errno == EINTR);
    return static_cast<long>(written);
}

void PosixServices::StartWriteOut(int fd, std::int64_t offset, std::int64_t count)
{
    (void)::sync_file_range(fd, offset, count, SYNC_FILE_RANGE_WRITE);
}

void PosixServices::WaitWrittenOut(int fd, std::int64_t offset, std::int64_t count)
{
    (void)::sync_file_range(fd, offset, count,
                            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
}

namespace {

// flush (fdatasync or fsync) of fd, again when a signal cut it short.
bool Flushed(int (*flush)(int), int fd)
{
    int result;
    do {
        result = flush(fd);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace

bool PosixServices::Flush(int fd)
{
    return Flushed(::fdatasync, fd);
}

bool PosixServices::FlushAll(int fd)
{
    return Flushed(::fsync, fd);
}

bool PosixServices::ReadExtents(int fd, ExtentMap& out)
{
    out.clear();
    constexpr std::uint32_t Batch = 64;
    alignas(fiemap) char buffer[sizeof(fiemap) + Batch * sizeof(fiemap_extent)];
    auto* map = reinterpret_cast<fiemap*>(buffer);
    for (std::uint64_t start = 0;;) {
        std::memset(buffer, 0, sizeof buffer);
        map->fm_start = start;
        map->fm_length = FIEMAP_MAX_OFFSET - start;
        map->fm_extent_count = Batch;
        if (::ioctl(fd, FS_IOC_FIEMAP, map) != 0) {
            out.clear();
            return false;
        }
        if (map->fm_mapped_extents == 0)
            return true;
        for (std::uint32_t i = 0; i < map->fm_mapped_extents; ++i) {
            const fiemap_extent& e = map->fm_extents[i];
            out.push_back({e.fe_logical, e.fe_physical, e.fe_length, FlagsOf(e.fe_flags)});
            if (e.fe_flags & FIEMAP_EXTENT_LAST)
                return true;
        }
        const fiemap_extent& last = map->fm_extents[map->fm_mapped_extents - 1];
        start = last.fe_logical + last.fe_length;
    }
}

// Closing the last hold on a large file whose last name is gone frees its
// space, a tenth of a second per half gigabyte (and a discard to the device
// where the file system asks for one): a thread of its own does that, so the
// window need not wait. Not retried on EINTR: Linux has released the
// descriptor either way.
void PosixServices::Close(int fd)
{
    constexpr std::int64_t Large = std::int64_t{64} << 20;
    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_nlink == 0 && st.st_size >= Large) {
        try {
            std::thread([fd] { (void)::close(fd); }).detach();
            return;
        } catch (const std::system_error&) {
            // No thread to be had (a process or memory limit): close here, and wait.
        }
    }
    (void)::close(fd);
}

OldCopy PosixServices::OldCopyOf(int folder, std::string_view name, int fd)
{
    return OldCopyOfHandle(folder, name, fd);
}

// SEEK_DATA and SEEK_HOLE walk the file's data; a file system without them
// (EINVAL) holds no holes as far as anyone can tell.
std::vector<ByteRange> PosixServices::DataRanges(int fd, std::int64_t size)
{
    std::vector<ByteRange> ranges;
    for (off_t at = 0; at < size;) {
        const off_t data = ::lseek(fd, at, SEEK_DATA);
        if (data < 0) {
            if (errno != ENXIO) // ENXIO: nothing but holes from at on
                return {{0, size}};
            break;
        }
        if (data >= size)
            break;
        off_t hole = ::lseek(fd, data, SEEK_HOLE);
        if (hole < 0)
            return {{0, size}};
        hole = std::min<off_t>(hole, size);
        ranges.push_back({data, hole - data});
        at = hole;
    }
    return ranges;
}

bool PosixServices::Remove(int folder, std::string_view name, FileId expected)
{
    const Node node = Inspect(folder, name);
    if (node.kind == NodeKind::Missing)
        return true;
    if (node.kind == NodeKind::Unknown || !(node.id == expected))
        return false;
    return ::unlinkat(folder, std::string(name).c_str(), 0) == 0 || errno == ENOENT;
}

// A list that does not fit the buffer on the stack (it grew meanwhile, or
// is long) is asked for again at its size.
std::vector<std::string> PosixServices::UserAttributes(int fd)
{
    char small[1024];
    std::vector<char> large;
    char* list = small;
    ssize_t length = ::flistxattr(fd, small, sizeof small);
    for (int tries = 0; length < 0 && errno == ERANGE && tries < 4; ++tries) {
        const ssize_t needed = ::flistxattr(fd, nullptr, 0);
        if (needed < 0)
            break;
        large.resize(static_cast<std::size_t>(needed) + 1);
        list = large.data();
        length = ::flistxattr(fd, list, large.size());
    }
    std::vector<std::string> names;
    for (ssize_t at = 0; at < length;) {
        const std::string_view name(list + at);
        if (name.starts_with("user."))
            names.emplace_back(name);
        at += static_cast<ssize_t>(name.size()) + 1;
    }
    return names;
}

std::int64_t PosixServices::AttributeSize(int fd, const std::string& name)
{
    return ::fgetxattr(fd, name.c_str(), nullptr, 0);
}

bool PosixServices::WriteAttribute(int fd, const std::string& name, std::string_view value)
{
    return ::fsetxattr(fd, name.c_str(), value.data(), value.size(), XATTR_REPLACE) == 0;
}

bool PosixServices::RemoveAttribute(int fd, const std::string& name)
{
    return ::fremovexattr(fd, name.c_str()) == 0 || errno == ENODATA;
}

bool PosixServices::ReadSmallFile(int folder, std::string_view name, std::string& out, FileId& id)
{
    return ReadSmallFileAt(folder, name, out, id);
}

Opened PosixServices::ReplaceFile(int folder, std::string_view name, FileId expected, std::string_view content)
{
    return HandedTo(*this, ReplaceFileAt(folder, name, expected, content));
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
