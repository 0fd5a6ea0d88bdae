#pragma once

#include "platform/FileServices.h"

#include <string>
#include <string_view>

namespace sorvex {

// The small files of the desktop a run reads and rewrites (its list of
// recent files): see FileServices::ReadSmallFile and ReplaceFile.
bool ReadSmallFileAt(int folder, std::string_view name, std::string& out, FileId& id);
Opened ReplaceFileAt(int folder, std::string_view name, FileId expected, std::string_view content);

} // namespace sorvex
