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
    Medium MediumOf(int fd) override { return real_.MediumOf(fd); }
    Opened Duplicate(int fd) override { return HandedTo(*this, real_.Duplicate(fd)); }
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
    bool FlushAll(int fd) override { return real_.FlushAll(fd); }
    bool ReadExtents(int fd, ExtentMap& out) override { return real_.ReadExtents(fd, out); }
    void Close(int fd) override { real_.Close(fd); }
    OldCopy OldCopyOf(int folder, std::string_view name, int fd) override { return real_.OldCopyOf(folder, name, fd); }
    std::vector<ByteRange> DataRanges(int fd, std::int64_t size) override { return real_.DataRanges(fd, size); }
    bool Remove(int folder, std::string_view name, FileId expected) override
    {
        return real_.Remove(folder, name, expected);
    }
    std::vector<std::string> UserAttributes(int fd) override { return real_.UserAttributes(fd); }
    std::int64_t AttributeSize(int fd, const std::string& name) override { return real_.AttributeSize(fd, name); }
    bool WriteAttribute(int fd, const std::string& name, std::string_view value) override
    {
        return real_.WriteAttribute(fd, name, value);
    }
    bool RemoveAttribute(int fd, const std::string& name) override { return real_.RemoveAttribute(fd, name); }
    bool ReadSmallFile(int folder, std::string_view name, std::string& out, FileId& id) override
    {
        return real_.ReadSmallFile(folder, name, out, id);
    }
    Opened ReplaceFile(int folder, std::string_view name, FileId expected, std::string_view content) override
    {
        return HandedTo(*this, real_.ReplaceFile(folder, name, expected, content));
    }
    std::uint32_t TickCount() override { return real_.TickCount(); }

protected:
    FileServices& real_;
};

} // namespace sorvex
