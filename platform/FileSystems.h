#pragma once

#include "platform/FileServices.h"

#include <string_view>

namespace sorvex {

// What kind of file system holds the open file or folder fd.
FileSystemInfo FileSystemOfHandle(int fd);

// By the file system's magic number (statfs f_type) and, for those that share
// a number, the type named in the mount table ("devtmpfs", "ext4"); its
// super options as the mount table gives them ("data=journal"); and whether
// any swap is on; and whether the kernel wipes a removed folder entry
// (ext3/ext4 from Linux 5.13 on).
FileSystemInfo ClassifyFileSystem(unsigned long magic, const char* mountType, std::string_view superOptions = {},
                                  bool swapActive = false, bool entriesWiped = true);

// Whether a kernel of this release ("6.1.0-18-amd64") wipes the name of a
// removed ext3/ext4 folder entry: from 5.13 on.
bool WipesRemovedEntries(std::string_view release);

} // namespace sorvex
