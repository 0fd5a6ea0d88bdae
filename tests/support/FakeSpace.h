#pragma once

#include "platform/FreeSpace.h"

#include <functional>
#include <map>
#include <sys/types.h>

// A file system of a few megabytes for a wipe of the free space: the real
// services make its folders, files and names in a test's folder, while its
// room, its place and its journal are what the test says, and the room
// shrinks with every byte held in a file still open and every name made.
// Hooks make a step fail, the disk fill up, or "Стоп" come at an exact point.
class FakeSpace : public sorvex::ForwardingFreeSpace {
public:
    sorvex::Room room{8 << 20, 8 << 20, 1000};
    sorvex::Place place{"/fake", "ext4"};
    sorvex::Journal journal;
    std::function<void(sorvex::Journal&)> journalMoves; // at every look after the first
    bool noUnnamed = false; // as vfat: no files without a name
    sorvex::SpaceFault folderFault = sorvex::SpaceFault::None; // of the wipe's folder
    std::function<sorvex::SpaceFault(int fill)> fillFault; // 1-based over the whole wipe
    std::function<void(int fill)> afterFill;

    std::int64_t filled = 0; // over the whole wipe
    int fills = 0;
    int names = 0;
    int touches = 0;
    int namedFiles = 0;
    int guards = 0;

    sorvex::Room RoomOf(int fd) override;
    sorvex::Place PlaceOf(int) override { return place; }
    sorvex::Journal JournalOf(int) override;
    sorvex::Made MakeFolder(int parent, std::string_view name) override;
    sorvex::FolderGuard Guard(int, int, std::string_view) override
    {
        ++guards;
        return {};
    }
    sorvex::Made OpenUnnamed(int folder) override;
    sorvex::Made MakeFile(int folder, std::string_view name) override;
    sorvex::SpaceFault MakeName(int folder, std::string_view name) override;
    sorvex::Filled Fill(int fd, const void* data, std::size_t count, std::int64_t offset) override;
    bool Touch(int folder, std::string_view name, bool odd) override;
    bool SyncAll(int) override { return true; }

    std::int64_t Held() const; // the bytes of the files still open

private:
    std::map<int, std::pair<ino_t, std::int64_t>> held_; // by descriptor: the file, its bytes
    int journalLooks_ = 0;
};
