#pragma once

#include "platform/FileServices.h"

namespace sorvex {

// FileServices on top of POSIX and Linux system calls.
// Constructing one makes the process ignore SIGIO (see the .cpp).
class PosixServices final : public FileServices {
public:
    PosixServices();

    Opened OpenFolder(const std::string& path, bool lastIsListed) override;
    Opened OpenSubfolder(int parent, std::string_view name) override;
    Listed ListFolder(int folder, FolderListing& out, const std::function<bool()>& betweenBatches = {}) override;
    FileId IdOf(int fd) override;
    std::uint64_t MountOf(int fd) override;
    FileSystemInfo FileSystemOf(int fd) override;
    Medium MediumOf(int fd) override;
    Opened Duplicate(int fd) override;
    Node Inspect(int folder, std::string_view name) override;
    Opened OpenForWriting(int folder, std::string_view name, FileId expected) override;
    std::int64_t Size(int fd) override;
    long Write(int fd, const void* data, std::size_t count, std::int64_t offset) override;
    void StartWriteOut(int fd, std::int64_t offset, std::int64_t count) override;
    void WaitWrittenOut(int fd, std::int64_t offset, std::int64_t count) override;
    bool Flush(int fd) override;
    bool FlushAll(int fd) override;
    bool ReadExtents(int fd, ExtentMap& out) override;
    void Close(int fd) override;
    OldCopy OldCopyOf(int folder, std::string_view name, int fd) override;
    std::vector<ByteRange> DataRanges(int fd, std::int64_t size) override;
    bool Remove(int folder, std::string_view name, FileId expected) override;
    std::vector<std::string> UserAttributes(int fd) override;
    std::int64_t AttributeSize(int fd, const std::string& name) override;
    bool WriteAttribute(int fd, const std::string& name, std::string_view value) override;
    bool RemoveAttribute(int fd, const std::string& name) override;
    bool ReadSmallFile(int folder, std::string_view name, std::string& out, FileId& id) override;
    Opened ReplaceFile(int folder, std::string_view name, FileId expected, std::string_view content) override;
    std::uint32_t TickCount() override;
};

// True for an entry of a folder read from dirFd that is a folder itself: by
// the type the folder reported, or where that is unknown, by looking at the
// entry without following a link.
bool IsFolderEntry(int dirFd, const char* name, unsigned char type);

} // namespace sorvex
