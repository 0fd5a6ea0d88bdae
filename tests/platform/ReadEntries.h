#pragma once

#include "platform/FolderListing.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Every entry of a listing, in its order: name and whether it is a folder.
using Entries = std::vector<std::pair<std::string, bool>>;

inline Entries ReadEntries(sorvex::FolderListing& listing)
{
    Entries entries;
    std::string_view name;
    bool isFolder = false;
    while (listing.Next(name, isFolder))
        entries.emplace_back(name, isFolder);
    return entries;
}
