#pragma once

#include "platform/FileServices.h"
#include "platform/MountTable.h"

#include <optional>
#include <string>
#include <string_view>

namespace sorvex {

// Where old bytes of the file open as fd, called name in folder, may live on:
// in the journal (the file's own journal-data flag), or in a lower layer of
// the overlay that holds the folder.
OldCopy OldCopyOfHandle(int folder, std::string_view name, int fd);

// The path inside every layer of the overlay mounted as overlay of the entry
// called name in the folder at folderPath: the mount's root, the folder's
// path below the mount point, and the name. Nothing when the folder is not
// below the mount point.
std::optional<std::string> PathInLayers(const MountEntry& overlay, std::string_view folderPath, std::string_view name);

} // namespace sorvex
