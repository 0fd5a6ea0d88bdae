#pragma once

#include "platform/ForwardingServices.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The real file services with a window onto them: every call is counted, the
// size of a file is recorded at each pass, its bytes and mode are captured
// just before its deletion, and hooks can make a call fail or do something at
// an exact point. Folder listings can be scripted for a fixed enumeration
// order: a scripted folder is a stand-in, opened and read without the disk.
class ObservedServices : public sorvex::ForwardingServices {
public:
    ObservedServices() : ForwardingServices(sorvex::SystemServices()) {}

    struct Entry {
        std::string name;
        bool isFolder;
    };

    // Scripted listings by folder path (ending in "/"); a folder not scripted
    // is the real one unless scriptedOnly is set, when it cannot be opened.
    std::map<std::string, std::vector<Entry>> folders;
    bool scriptedOnly = false;

    // What the runs take the file systems to be. Tests take overwrites as
    // landing in place, whatever file system /tmp is on, unless they say otherwise.
    std::optional<sorvex::FileSystemInfo> fileSystem = sorvex::FileSystemInfo{false, true};

    std::function<void(const std::string& folder)> afterList;
    // By folder path (ending in "/"): the entries a listing gives before a
    // read error cuts it short, as a failing disk does part-way (Listed::Cut).
    std::map<std::string, std::size_t> cutAfter;
    std::function<void(int writeNumber)> afterWrite; // 1-based over the whole run
    std::function<bool(int writeNumber)> failWrite; // true: the write fails and writes nothing
    // When set and not negative: the bytes the write writes, fewer than asked (a full disk).
    std::function<long(int writeNumber)> shortWrite;
    std::function<void(int flushNumber)> afterFlush;
    bool failFlush = false;
    std::function<bool(const std::string& path)> failRemove; // true: the name stays
    // By file path: the open for writing is refused (why, errno), or the look at the name fails (errno).
    std::map<std::string, std::pair<sorvex::Refusal, int>> refuseOpen;
    std::map<std::string, int> failLook;
    std::function<void(const std::string& path)> beforeRemove;
    // Answers in place of the file system's extent map when set.
    std::function<bool(int readNumber, sorvex::ExtentMap& out)> extents;
    std::optional<std::uint32_t> tick;

    std::vector<std::string> listed; // folders read, by path
    std::vector<std::string> openedByPath; // folders opened by their path, not from the one above
    std::vector<std::string> opened; // files opened for writing
    std::vector<std::int64_t> sizes; // at the start of every pass
    std::vector<std::string> removed;
    std::map<std::string, std::string> contentAtRemoval; // regular files only
    std::map<std::string, unsigned> modeAtRemoval;
    std::size_t mostFoldersOpen = 0; // at once
    int writes = 0;
    int flushes = 0;
    int extentReads = 0;

    sorvex::Opened OpenFolder(const std::string& path, bool lastIsListed) override;
    sorvex::Opened OpenSubfolder(int parent, std::string_view name) override;
    sorvex::Listed ListFolder(int folder, sorvex::FolderListing& out,
                              const std::function<bool()>& betweenBatches = {}) override;
    sorvex::FileId IdOf(int fd) override;
    sorvex::FileSystemInfo FileSystemOf(int fd) override;
    sorvex::Medium MediumOf(int fd) override; // no flash where the file system is made up
    sorvex::Node Inspect(int folder, std::string_view name) override;
    sorvex::Opened OpenForWriting(int folder, std::string_view name, sorvex::FileId expected) override;
    std::int64_t Size(int fd) override;
    long Write(int fd, const void* data, std::size_t count, std::int64_t offset) override;
    bool Flush(int fd) override;
    bool ReadExtents(int fd, sorvex::ExtentMap& out) override;
    void Close(int fd) override;
    bool Remove(int folder, std::string_view name, sorvex::FileId expected) override;
    std::uint32_t TickCount() override { return tick ? *tick : real_.TickCount(); }

    // Touches nothing: every path counts as touched when it was opened, written or removed.
    bool NothingTouched() const { return opened.empty() && writes == 0 && removed.empty(); }
    // The path of a folder this has opened, ending in "/".
    std::string PathOf(int folder) const;

private:
    static constexpr int FirstStandIn = 1 << 24; // descriptors of scripted folders
    bool IsStandIn(int fd) const { return fd >= FirstStandIn; }
    sorvex::Opened Known(sorvex::Opened folder, std::string path);
    sorvex::Opened StandIn(std::string path);

    std::map<int, std::string> paths_; // open folders by descriptor
    int nextStandIn_ = FirstStandIn;
};
