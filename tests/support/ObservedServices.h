#pragma once

#include "platform/FileServices.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The real file services with a window onto them: every call is counted, the
// size of a file is recorded at each open, its bytes are captured just before
// its deletion, and hooks can make a call fail or press a button at an exact
// point. Folder listings can be scripted for a fixed enumeration order.
class ObservedServices : public sorvex::FileServices {
public:
    struct Entry {
        std::string name;
        bool isFolder;
    };

    // Scripted listings by folder path; a folder not scripted is read for real
    // unless scriptedOnly is set, when it cannot be opened.
    std::map<std::string, std::vector<Entry>> folders;
    bool scriptedOnly = false;

    std::function<void(const std::string& folder)> afterList;
    std::function<void(int writeNumber)> afterWrite; // 1-based over the whole run
    std::function<bool(int writeNumber)> failWrite; // true: the write fails and writes nothing
    // When set and not negative: the bytes the write writes, fewer than asked (a full disk).
    std::function<long(int writeNumber)> shortWrite;
    bool failFlush = false;
    std::optional<std::uint32_t> tick;

    std::vector<std::string> listed;
    std::vector<bool> listedFollowingLinks; // beside listed
    std::vector<std::string> opened;
    std::vector<std::int64_t> sizes; // at the start of every pass
    std::vector<std::string> removed;
    std::map<std::string, std::string> contentAtRemoval; // regular files only
    int writes = 0;
    int flushes = 0;
    int madeWritable = 0;

    bool ListFolder(const std::string& path, bool followLink, sorvex::FolderListing& out) override;
    sorvex::PathInfo Inspect(const std::string& path) override { return real_.Inspect(path); }
    void MakeWritable(const std::string& path) override;
    int OpenForWriting(const std::string& path) override;
    std::int64_t Size(int fd) override;
    long Write(int fd, const void* data, std::size_t count) override;
    bool Flush(int fd) override;
    void Close(int fd) override { real_.Close(fd); }
    void Remove(const std::string& path) override;
    std::uint32_t TickCount() override { return tick ? *tick : real_.TickCount(); }

    // Touches nothing: every path counts as touched when it was opened, written or removed.
    bool NothingTouched() const { return opened.empty() && writes == 0 && removed.empty(); }

private:
    sorvex::FileServices& real_ = sorvex::SystemServices();
};

// Presses a button from inside the next pump, as a click waiting in the queue would be.
class QAbstractButton;
void PostClick(QAbstractButton* button);
