#pragma once

#include "platform/FileServices.h"

namespace sorvex {

// File services that pass every call on to others: a base for services that
// watch or change a few calls and leave the rest as they are.
class ForwardingServices : public FileServices {
public:
    explicit ForwardingServices(FileServices& real) : real_(real) {}

    Opened OpenFolder(const std::string& path, bool lastIsListed) override
    {
        return HandedTo(*this, real_.OpenFolder(path, lastIsListed));
    }
    Opened OpenSubfolder(int parent, std::string_view name) override
    {
        return HandedTo(*this, real_.OpenSubfolder(parent, name));
    }
    Listed ListFolder(int folder, FolderListing& out, const std::function<bool()>& betweenBatches = {}) override
    {
        return real_.ListFolder(folder, out, betweenBatches);
    }
    FileId IdOf(int fd) override { return real_.IdOf(fd); }
    std::uint64_t MountOf(int fd) override { return real_.MountOf(fd); }
    FileSystemInfo FileSystemOf(int fd) override { return real_.FileSystemOf(fd); }
    Node Inspect(int folder, std::string_view name) override { return real_.Inspect(folder, name); }
    Opened OpenForWriting(int folder, std::string_view name, FileId expected) override
    {
        return HandedTo(*this, real_.OpenForWriting(folder, name, expected));
    }
    std::int64_t Size(int fd) override { return real_.Size(fd); }
    long Write(int fd, const void* data, std::size_t count, std::int64_t offset) override
    {
        return real_.Write(fd, data, count, offset);
    }
    void StartWriteOut(int fd, std::int64_t offset, std::int64_t count) override
    {
        real_.StartWriteOut(fd, offset, count);
    }
    void WaitWrittenOut(int fd, std::int64_t offset, std::int64_t count) override
    {
        real_.WaitWrittenOut(fd, offset, count);
    }
    bool Flush(int fd) override { return real_.Flush(fd); }
    bool ReadExtents(int fd, ExtentMap& out) override { return real_.ReadExtents(fd, out); }
    void Close(int fd) override { real_.Close(fd); }
    OldCopy OldCopyOf(int folder, std::string_view name, int fd) override { return real_.OldCopyOf(folder, name, fd); }
    std::vector<ByteRange> DataRanges(int fd, std::int64_t size) override { return real_.DataRanges(fd, size); }
    bool Remove(int folder, std::string_view name, FileId expected) override
    {
        return real_.Remove(folder, name, expected);
    }
    std::uint32_t TickCount() override { return real_.TickCount(); }

protected:
    FileServices& real_;
};

} // namespace sorvex
