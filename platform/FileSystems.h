#pragma once

#include "platform/FileServices.h"

namespace sorvex {

// What kind of file system holds the open file or folder fd.
FileSystemInfo FileSystemOfHandle(int fd);

// By the file system's magic number (statfs f_type) and, for those that share
// tmpfs's number, the type named in the mount table ("devtmpfs").
FileSystemInfo ClassifyFileSystem(unsigned long magic, const char* mountType);

} // namespace sorvex
