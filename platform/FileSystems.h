#pragma once

#include "platform/FileServices.h"

#include <string_view>

namespace sorvex {

// What kind of file system holds the open file or folder fd.
FileSystemInfo FileSystemOfHandle(int fd);

// By the file system's magic number (statfs f_type) and, for those that share
// a number, the type named in the mount table ("devtmpfs", "ext4"); its
// super options as the mount table gives them ("data=journal"); and whether
// any swap is on.
FileSystemInfo ClassifyFileSystem(unsigned long magic, const char* mountType, std::string_view superOptions = {},
                                  bool swapActive = false);

} // namespace sorvex
