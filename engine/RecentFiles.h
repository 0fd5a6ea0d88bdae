#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvex {

// One entry of the desktop's list of recent files (recently-used.xbel): the
// bytes of its <bookmark> element, from the start of its line through the
// line's end, and the raw path of the local file it names.
struct Bookmark {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string path;
};

// The bookmarks of local files in the list's text, in order.
std::vector<Bookmark> BookmarksOf(std::string_view xbel);

// The text without the given bookmarks; every other byte as it was.
std::string Without(std::string_view xbel, const std::vector<const Bookmark*>& gone);

// The raw path a KDE recent document (a .desktop file's URL= or URL[$e]=,
// "$HOME" standing for home) points at; nothing when it names no local file.
std::optional<std::string> PathOfRecentDocument(std::string_view desktopFile, std::string_view home);

} // namespace sorvex
