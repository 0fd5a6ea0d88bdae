#include "engine/DesktopCopies.h"

#include "engine/FileUri.h"
#include "engine/Md5.h"

#include <cstdlib>

namespace sorvex {

namespace {

constexpr const char* Sizes[] = {"normal", "large", "x-large", "xx-large"};
constexpr std::string_view RecentListName = "recently-used.xbel";

// The MD5 of a URI in hex, and ".png".
bool IsThumbnailName(std::string_view name)
{
    return name.size() == 36 && name.ends_with(".png");
}

std::string Absolute(const char* value)
{
    return value != nullptr && value[0] == '/' ? std::string(value) : std::string();
}

} // namespace

DesktopPlaces DesktopPlaces::OfUser()
{
    DesktopPlaces places;
    places.home = Absolute(std::getenv("HOME"));
    places.cacheHome = Absolute(std::getenv("XDG_CACHE_HOME"));
    places.dataHome = Absolute(std::getenv("XDG_DATA_HOME"));
    if (places.cacheHome.empty() && !places.home.empty())
        places.cacheHome = places.home + "/.cache";
    if (places.dataHome.empty() && !places.home.empty())
        places.dataHome = places.home + "/.local/share";
    return places;
}

void DesktopCopies::Find(FileServices& fs, const DesktopPlaces& places)
{
    Clear();
    if (!places.cacheHome.empty())
        FindThumbnails(fs, places.cacheHome);
    if (!places.dataHome.empty()) {
        FindRecentDocuments(fs, places);
        FindRecentList(fs, places.dataHome);
    }
}

// Every size, and the failures of every program that made thumbnails.
void DesktopCopies::FindThumbnails(FileServices& fs, const std::string& cacheHome)
{
    const std::string top = cacheHome + "/thumbnails/";
    const Opened thumbnails = fs.OpenFolder(top, true);
    if (!thumbnails.fd.IsOpen())
        return;
    for (const char* size : Sizes)
        ReadThumbnailFolder(fs, fs.OpenSubfolder(thumbnails.fd.Get(), size), top + size + "/");
    const Opened failed = fs.OpenSubfolder(thumbnails.fd.Get(), "fail");
    FolderListing makers;
    if (!failed.fd.IsOpen() || fs.ListFolder(failed.fd.Get(), makers) == Listed::Nothing)
        return;
    std::string_view name;
    bool isFolder = false;
    FileId id;
    while (makers.Next(name, isFolder, id))
        if (isFolder)
            ReadThumbnailFolder(fs, fs.OpenSubfolder(failed.fd.Get(), name), top + "fail/" + std::string(name) + "/");
}

void DesktopCopies::ReadThumbnailFolder(FileServices& fs, Opened folder, const std::string& path)
{
    FolderListing entries;
    if (!folder.fd.IsOpen() || fs.ListFolder(folder.fd.Get(), entries) == Listed::Nothing)
        return;
    const std::size_t kept = folders_.size(); // where this folder goes if it holds any
    std::string_view name;
    bool isFolder = false;
    FileId id;
    bool any = false;
    while (entries.Next(name, isFolder, id)) {
        if (!isFolder && IsThumbnailName(name)) {
            thumbnails_.emplace(std::string(name), Place{kept, id});
            any = true;
        }
    }
    if (any)
        Keep(std::move(folder.fd), path);
}

void DesktopCopies::Keep(UniqueFd folder, std::string path)
{
    folders_.push_back(std::move(folder));
    folderPaths_.push_back(std::move(path));
}

void DesktopCopies::FindRecentDocuments(FileServices& fs, const DesktopPlaces& places)
{
    const std::string path = places.dataHome + "/RecentDocuments/";
    Opened folder = fs.OpenFolder(path, true);
    FolderListing entries;
    if (!folder.fd.IsOpen() || fs.ListFolder(folder.fd.Get(), entries) == Listed::Nothing)
        return;
    std::string_view name;
    bool isFolder = false;
    FileId id;
    bool any = false;
    std::string text;
    while (entries.Next(name, isFolder, id)) {
        if (isFolder || !name.ends_with(".desktop") || !fs.ReadSmallFile(folder.fd.Get(), name, text, id))
            continue;
        if (const std::optional<std::string> target = PathOfRecentDocument(text, places.home)) {
            documents_.emplace(*target, std::pair(Place{folders_.size(), id}, std::string(name)));
            any = true;
        }
    }
    if (any)
        Keep(std::move(folder.fd), path);
}

void DesktopCopies::FindRecentList(FileServices& fs, const std::string& dataHome)
{
    Opened folder = fs.OpenFolder(dataHome, false);
    if (!folder.fd.IsOpen() || !fs.ReadSmallFile(folder.fd.Get(), RecentListName, recentText_, recentId_))
        return;
    bookmarks_ = BookmarksOf(recentText_);
    if (bookmarks_.empty())
        return;
    for (std::size_t i = 0; i < bookmarks_.size(); ++i)
        bookmarkOf_.emplace(bookmarks_[i].path, i);
    gone_.assign(bookmarks_.size(), false);
    recentFolder_ = folders_.size();
    Keep(std::move(folder.fd), dataHome + "/");
}

void DesktopCopies::Add(std::vector<Copy>& copies, const Place& place, const std::string& name) const
{
    copies.push_back({folders_[place.folder].Get(), name, place.id, folderPaths_[place.folder] + name});
}

void DesktopCopies::Destroyed(std::string_view path, std::vector<Copy>& copies)
{
    const std::string plain = PlainPath(path);
    if (!thumbnails_.empty()) {
        const std::string name = Md5Hex(FileUriOf(plain)) + ".png";
        for (auto [at, end] = thumbnails_.equal_range(name); at != end; ++at)
            Add(copies, at->second, name);
    }
    for (auto [at, end] = documents_.equal_range(plain); at != end; ++at)
        Add(copies, at->second.first, at->second.second);
    for (auto [at, end] = bookmarkOf_.equal_range(plain); at != end; ++at)
        gone_[at->second] = true;
}

bool DesktopCopies::ChangedRecentList(RecentList& list) const
{
    std::vector<const Bookmark*> gone;
    for (std::size_t i = 0; i < gone_.size(); ++i)
        if (gone_[i])
            gone.push_back(&bookmarks_[i]);
    if (gone.empty())
        return false;
    list = {folders_[recentFolder_].Get(), std::string(RecentListName), recentId_, Without(recentText_, gone),
            folderPaths_[recentFolder_] + std::string(RecentListName)};
    return true;
}

void DesktopCopies::Clear()
{
    folders_.clear();
    folderPaths_.clear();
    thumbnails_.clear();
    documents_.clear();
    recentText_.clear();
    bookmarks_.clear();
    bookmarkOf_.clear();
    gone_.clear();
}

} // namespace sorvex
