#include "tests/support/ObservedServices.h"

#include "tests/support/TempTree.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

using namespace sorvex;

namespace {

// Keeps the first count entries of listing.
void KeepFirst(FolderListing& listing, std::size_t count)
{
    FolderListing kept;
    std::string_view name;
    bool isFolder;
    FileId id;
    for (std::size_t i = 0; i < count && listing.Next(name, isFolder, id); ++i)
        kept.Add(name, isFolder, id);
    listing = std::move(kept);
}

std::string AsFolder(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

} // namespace

Opened ObservedServices::Known(Opened folder, std::string path)
{
    if (folder.fd.IsOpen())
        paths_[folder.fd.Get()] = std::move(path);
    mostFoldersOpen = std::max(mostFoldersOpen, paths_.size());
    return folder;
}

Opened ObservedServices::StandIn(std::string path)
{
    return Known({UniqueFd(*this, nextStandIn_++)}, std::move(path));
}

std::string ObservedServices::PathOf(int folder) const
{
    const auto known = paths_.find(folder);
    return known == paths_.end() ? std::string() : known->second;
}

Opened ObservedServices::OpenFolder(const std::string& path, bool lastIsListed)
{
    const std::string folder = AsFolder(path);
    openedByPath.push_back(folder);
    if (folders.contains(folder))
        return StandIn(folder);
    if (scriptedOnly)
        return {UniqueFd(), Refusal::Missing, ENOENT};
    return Known(ForwardingServices::OpenFolder(path, lastIsListed), folder);
}

Opened ObservedServices::OpenSubfolder(int parent, std::string_view name)
{
    const std::string folder = PathOf(parent) + std::string(name) + "/";
    if (folders.contains(folder))
        return StandIn(folder);
    if (scriptedOnly || IsStandIn(parent))
        return {UniqueFd(), Refusal::Missing, ENOENT};
    return Known(ForwardingServices::OpenSubfolder(parent, name), folder);
}

Listed ObservedServices::ListFolder(int folder, FolderListing& out, const std::function<bool()>& betweenBatches)
{
    const std::string path = PathOf(folder);
    listed.push_back(path);
    Listed found = Listed::Whole;
    if (IsStandIn(folder)) {
        out.Clear();
        for (const Entry& entry : folders[path])
            out.Add(entry.name, entry.isFolder);
    } else {
        found = real_.ListFolder(folder, out, betweenBatches);
    }
    if (const auto cut = cutAfter.find(path); cut != cutAfter.end() && found != Listed::Nothing) {
        KeepFirst(out, cut->second);
        found = Listed::Cut;
    }
    if (afterList)
        afterList(path);
    return found;
}

FileId ObservedServices::IdOf(int fd)
{
    return IsStandIn(fd) ? FileId{1, static_cast<std::uint64_t>(fd)} : real_.IdOf(fd);
}

FileSystemInfo ObservedServices::FileSystemOf(int fd)
{
    if (fileSystem)
        return *fileSystem;
    return IsStandIn(fd) ? FileSystemInfo{} : real_.FileSystemOf(fd);
}

Medium ObservedServices::MediumOf(int fd)
{
    return fileSystem || IsStandIn(fd) ? Medium{} : real_.MediumOf(fd);
}

Node ObservedServices::Inspect(int folder, std::string_view name)
{
    if (const auto look = failLook.find(PathOf(folder) + std::string(name)); look != failLook.end())
        return {.kind = NodeKind::Unknown, .id = {}, .error = look->second};
    return IsStandIn(folder) ? Node{} : real_.Inspect(folder, name);
}

Opened ObservedServices::OpenForWriting(int folder, std::string_view name, FileId expected)
{
    opened.push_back(PathOf(folder) + std::string(name));
    if (const auto refused = refuseOpen.find(opened.back()); refused != refuseOpen.end())
        return {UniqueFd(), refused->second.first, refused->second.second};
    return ForwardingServices::OpenForWriting(folder, name, expected);
}

std::int64_t ObservedServices::Size(int fd)
{
    const std::int64_t bytes = real_.Size(fd);
    sizes.push_back(bytes);
    return bytes;
}

long ObservedServices::Write(int fd, const void* data, std::size_t count, std::int64_t offset)
{
    ++writes;
    const long writable = shortWrite ? shortWrite(writes) : -1;
    if (writable >= 0 && static_cast<std::size_t>(writable) < count)
        count = static_cast<std::size_t>(writable);
    const long result = failWrite && failWrite(writes) ? -1 : real_.Write(fd, data, count, offset);
    if (afterWrite)
        afterWrite(writes);
    return result;
}

bool ObservedServices::Flush(int fd)
{
    ++flushes;
    const bool done = !failFlush && real_.Flush(fd);
    if (afterFlush)
        afterFlush(flushes);
    return done;
}

bool ObservedServices::ReadExtents(int fd, ExtentMap& out)
{
    ++extentReads;
    return extents ? extents(extentReads, out) : real_.ReadExtents(fd, out);
}

void ObservedServices::Close(int fd)
{
    paths_.erase(fd);
    if (!IsStandIn(fd))
        real_.Close(fd);
}

bool ObservedServices::Remove(int folder, std::string_view name, FileId expected)
{
    const std::string path = PathOf(folder) + std::string(name);
    removed.push_back(path);
    if (beforeRemove)
        beforeRemove(path);
    if (failRemove && failRemove(path))
        return false;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        contentAtRemoval[path] = ReadFile(path);
        modeAtRemoval[path] = st.st_mode & 07777;
    }
    return real_.Remove(folder, name, expected);
}
