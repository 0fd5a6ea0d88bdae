#pragma once

#include "platform/FileServices.h"

namespace platform {

// FileServices on top of POSIX and Linux system calls.
// Constructing one makes the process ignore SIGIO (see the .cpp).
class PosixServices final : public FileServices {
public:
    PosixServices();

    bool listFolder(const std::string& path, bool followLink, FolderListing& out) override;
    PathInfo inspect(const std::string& path) override;
    void makeWritable(const std::string& path) override;
    int openForWriting(const std::string& path) override;
    std::int64_t size(int fd) override;
    long write(int fd, const void* data, std::size_t count) override;
    bool flush(int fd) override;
    void close(int fd) override;
    void remove(const std::string& path) override;
    std::uint32_t tickCount() override;
};

}  // namespace platform
