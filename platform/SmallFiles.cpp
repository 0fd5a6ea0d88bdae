#include "platform/SmallFiles.h"

#include <cerrno>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvex {

namespace {

constexpr off_t Largest = off_t{64} << 20; // a desktop's list larger than this is not ours to read

bool IsBareName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

FileId IdOfStat(const struct stat& st)
{
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// The regular file called name in folder, opened with flags, never through
// a link and never a FIFO waiting for a writer.
UniqueFd OpenRegular(int folder, std::string_view name, int flags, struct stat& st)
{
    if (!IsBareName(name))
        return {};
    UniqueFd fd(::openat(folder, std::string(name).c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.IsOpen() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return fd;
}

bool WriteAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A new file beside name, made by us alone: ".name.sorvex-" and six letters.
UniqueFd NewFileBeside(int folder, std::string_view name, const struct stat& like, std::string& made)
{
    static std::mt19937 letters(std::random_device{}());
    for (int attempt = 0; attempt < 16; ++attempt) {
        made.assign(1, '.').append(name).append(".sorvex-"); // built forward: GCC 12 -O3 warns of a prepend
        for (int i = 0; i < 6; ++i)
            made += static_cast<char>('a' + letters() % 26);
        UniqueFd fd(
            ::openat(folder, made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, like.st_mode & 07777));
        if (fd.IsOpen()) {
            if (::fchown(fd.Get(), like.st_uid, like.st_gid) != 0) {
                // Not ours to give away: the new file stays ours, with the old one's mode.
            }
            (void)::fchmod(fd.Get(), like.st_mode & 07777);
            return fd;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

} // namespace

bool ReadSmallFileAt(int folder, std::string_view name, std::string& out, FileId& id)
{
    struct stat st;
    const UniqueFd fd = OpenRegular(folder, name, O_RDONLY, st);
    if (!fd.IsOpen() || st.st_size > Largest)
        return false;
    out.assign(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t read = ::pread(fd.Get(), out.data() + done, out.size() - done, static_cast<off_t>(done));
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            break;
        done += static_cast<std::size_t>(read);
    }
    out.resize(done);
    id = IdOfStat(st);
    return true;
}

// The old file is opened first, so that it is the file expected that goes;
// the new one replaces its name in one step, and the old one's bytes are
// left to the caller, which holds it open.
Opened ReplaceFileAt(int folder, std::string_view name, FileId expected, std::string_view content)
{
    struct stat st;
    UniqueFd old = OpenRegular(folder, name, O_WRONLY, st);
    if (!old.IsOpen() || !(IdOfStat(st) == expected))
        return {UniqueFd(), Refusal::Changed};
    std::string made;
    const UniqueFd fresh = NewFileBeside(folder, name, st, made);
    if (!fresh.IsOpen())
        return {UniqueFd(), Refusal::Failed};
    if (!WriteAll(fresh.Get(), content) || ::fsync(fresh.Get()) != 0 ||
        ::renameat(folder, made.c_str(), folder, std::string(name).c_str()) != 0) {
        (void)::unlinkat(folder, made.c_str(), 0);
        return {UniqueFd(), Refusal::Failed};
    }
    (void)::fsync(folder);
    return {std::move(old)};
}

} // namespace sorvex
