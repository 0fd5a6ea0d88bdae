#pragma once

#include "engine/CShredder.h"
#include "platform/FreeSpace.h"

#include <map>
#include <sys/types.h>

// A file system of a few megabytes for a wipe of the free space: the real
// services make its folders, files and names in a test's folder, while its
// room, its place and its journal are what the test says, and the room
// shrinks with every byte held in a file still open and every name made.
// Hooks make a step fail, the disk fill up, or "Стоп" come at an exact point.
// Shredder works on it while it lives.
class FakeSpace : public sorvex::ForwardingFreeSpace {
public:
    FakeSpace() { Shredder.UseFreeSpaceServices(*this); }
    ~FakeSpace() override { Shredder.UseFreeSpaceServices(sorvex::SystemFreeSpace()); }

    sorvex::Room room{8 << 20, 8 << 20, 1000};
    sorvex::Place place{"/fake", "ext4"};
    sorvex::Journal journal;
    int headMoves = 0; // blocks at every look after the first, in a journal of 1000
    bool noUnnamed = false; // as vfat: no files without a name
    sorvex::SpaceFault folderFault = sorvex::SpaceFault::None; // of the wipe's folder
    // Fills counted from 1 over the whole wipe: the one that fails (an error
    // of the medium), the first of those that find the disk full, the one
    // "Стоп" is pressed in; 0 for none.
    int failAt = 0;
    int fullFrom = 0;
    int stopAt = 0;

    std::int64_t filled = 0; // over the whole wipe
    int fills = 0;
    int names = 0; // files made, with a name or none: each takes an inode
    int touches = 0;

    sorvex::Room RoomOf(int fd) override;
    sorvex::Place PlaceOf(int) override { return place; }
    sorvex::Journal JournalOf(int) override;
    sorvex::Made MakeFolder(int parent, std::string_view name) override;
    sorvex::FolderGuard Guard(int, int, std::string_view) override { return {}; } // removed here at every end
    sorvex::Made OpenUnnamed(int folder) override;
    sorvex::Made MakeFile(int folder, std::string_view name) override;
    sorvex::SpaceFault MakeName(int folder, std::string_view name) override;
    sorvex::Filled Fill(int fd, const void* data, std::size_t count, std::int64_t offset) override;
    bool Touch(int folder, std::string_view name, bool odd) override;
    bool SyncAll(int) override { return true; }

    std::int64_t Held() const; // the bytes of the files still open

private:
    static constexpr std::int64_t BytesPerName = 512;
    std::map<int, std::pair<ino_t, std::int64_t>> held_; // by descriptor: the file, its bytes
    int journalLooks_ = 0;
};
