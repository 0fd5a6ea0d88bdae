#include "engine/Trash.h"

#include <cstdlib>

#include <unistd.h>

namespace sorvex {

namespace {

std::string_view LastName(std::string_view folder) // folder ends in "/"
{
    folder.remove_suffix(1);
    return folder.substr(folder.rfind('/') + 1);
}

std::string FolderOf(const char* variable)
{
    const char* value = std::getenv(variable);
    if (value == nullptr || value[0] != '/')
        return {};
    std::string folder = value;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace

TrashPlaces TrashPlaces::OfThisUser()
{
    std::string data = FolderOf("XDG_DATA_HOME");
    if (data.empty() && !FolderOf("HOME").empty())
        data = FolderOf("HOME") + "/.local/share";
    return {data.empty() ? std::string() : data + "/Trash/", ::getuid()};
}

bool TrashPlaces::IsTrash(std::string_view folder) const
{
    if (folder.size() < 2 || folder.back() != '/')
        return false;
    const std::string user = std::to_string(uid);
    const std::string_view name = LastName(folder);
    if (folder == home || name == ".Trash-" + user)
        return true;
    return name == user && LastName(folder.substr(0, folder.size() - name.size() - 1)) == ".Trash";
}

std::string TrashNoteOf(std::string_view path, const TrashPlaces& trash)
{
    while (!path.empty() && path.back() == '/')
        path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    const std::string_view name = path.substr(slash + 1);
    const std::string_view files = path.substr(0, slash + 1);
    constexpr std::string_view Files = "/files/";
    if (name.empty() || name == "." || name == ".." || !files.ends_with(Files))
        return {};
    const std::string_view folder = files.substr(0, files.size() - Files.size() + 1);
    if (!trash.IsTrash(folder))
        return {};
    return std::string(folder) + "info/" + std::string(name) + ".trashinfo";
}

} // namespace sorvex
