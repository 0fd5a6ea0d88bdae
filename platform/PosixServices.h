#pragma once

#include "platform/FileServices.h"

namespace sorvex {

// FileServices on top of POSIX and Linux system calls.
// Constructing one makes the process ignore SIGIO (see the .cpp).
class PosixServices final : public FileServices {
public:
    PosixServices();

    bool ListFolder(const std::string& path, bool followLink, FolderListing& out) override;
    PathInfo Inspect(const std::string& path) override;
    void MakeWritable(const std::string& path) override;
    int OpenForWriting(const std::string& path) override;
    std::int64_t Size(int fd) override;
    long Write(int fd, const void* data, std::size_t count) override;
    bool Flush(int fd) override;
    void Close(int fd) override;
    void Remove(const std::string& path) override;
    std::uint32_t TickCount() override;
};

// True for an entry of a folder read from dirFd that is a folder itself: by
// the type the folder reported, or where that is unknown, by looking at the
// entry without following a link.
bool IsFolderEntry(int dirFd, const char* name, unsigned char type);

} // namespace sorvex
