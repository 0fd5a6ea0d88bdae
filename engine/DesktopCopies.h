#pragma once

#include "engine/RecentFiles.h"
#include "platform/FileServices.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sorvex {

// Where the desktop keeps copies of a user's files: thumbnails under
// $XDG_CACHE_HOME/thumbnails, the list of recent files in
// $XDG_DATA_HOME/recently-used.xbel, KDE's recent documents in
// $XDG_DATA_HOME/RecentDocuments. Empty names leave a place out.
struct DesktopPlaces {
    std::string cacheHome;
    std::string dataHome;
    std::string home;

    // This user's, as the environment says (the XDG defaults below $HOME).
    static DesktopPlaces OfUser();
};

// The desktop's copies of what a run destroys, found once before its first
// file: the thumbnails and recent documents named after a destroyed file,
// and its entries in the list of recent files. Everything is reached through
// folder handles, never through a link, and nothing is touched here: the run
// destroys the copies.
class DesktopCopies {
public:
    // A file that holds a copy: a thumbnail, or a recent document's link.
    struct Copy {
        int folder = -1; // held open by this
        std::string name;
        FileId id;
        std::string path; // raw bytes, for the report
    };

    void Find(FileServices& fs, const DesktopPlaces& places);
    bool Empty() const { return thumbnails_.empty() && documents_.empty() && bookmarks_.empty(); }
    // The copies of the file at path, which is destroyed; its entries in the
    // list of recent files are to go too.
    void Destroyed(std::string_view path, std::vector<Copy>& copies);
    // The list of recent files without the entries of destroyed files:
    // false when none of them is in it.
    struct RecentList {
        int folder = -1;
        std::string name;
        FileId id;
        std::string content; // what stays
        std::string path;
    };
    bool ChangedRecentList(RecentList& list) const;
    void Clear();

private:
    struct Place {
        std::size_t folder = 0;
        FileId id;
    };
    void FindThumbnails(FileServices& fs, const std::string& cacheHome);
    void ReadThumbnailFolder(FileServices& fs, Opened folder, const std::string& path);
    void FindRecentDocuments(FileServices& fs, const DesktopPlaces& places);
    void FindRecentList(FileServices& fs, const std::string& dataHome);
    void Keep(UniqueFd folder, std::string path);
    void Add(std::vector<Copy>& copies, const Place& place, const std::string& name) const;

    std::vector<UniqueFd> folders_;
    std::vector<std::string> folderPaths_; // ending in "/"
    std::unordered_multimap<std::string, Place> thumbnails_; // by name: the MD5 of the URI, ".png"
    std::unordered_multimap<std::string, std::pair<Place, std::string>> documents_; // by the path they point at
    std::size_t recentFolder_ = 0;
    FileId recentId_;
    std::string recentText_;
    std::vector<Bookmark> bookmarks_;
    std::unordered_multimap<std::string, std::size_t> bookmarkOf_; // by path
    std::vector<bool> gone_; // by bookmark
};

} // namespace sorvex
