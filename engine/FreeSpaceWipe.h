#pragma once

#include "engine/Noise.h"
#include "engine/RunReport.h"
#include "engine/WipeReport.h"
#include "platform/FileServices.h"
#include "platform/FreeSpace.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sorvex {

class RunView;

// Whether writing over the free space of the file system that holds a path
// reaches what a run left there for this reason.
bool WipeReaches(Remains why);
// The folders whose file systems hold what a wipe reaches of the report, each
// once, in the report's order: a path's folder, or the path itself where the
// reason is said of a file system at its mount point.
std::vector<std::string> FoldersToWipe(const RunReport& report);

// Writes over the free space of the file systems that hold the folders
// named, one after the other: the free data space with noise, then the free
// metadata space with names, and on ext3/ext4 and xfs the journal from end
// to end; then removes all it made. Everything is made in one folder below
// the folder named (FolderName), never through a link or on another mount:
// data in files without a name where the file system has them, otherwise in
// files unlinked as soon as made, so that all of it goes with the program
// however it ends; the names go with a guard process. A reserve stays free
// throughout. It reports on the run's view and pumps there, answering "Стоп"
// after every chunk of noise (a mebibyte), when it gives all the room back
// at once.
class FreeSpaceWipe {
public:
    FreeSpaceWipe(FileServices& files, FreeSpaceServices& space, RunView& view, bool& stop);
    WipeReport Run(const std::vector<std::string>& folders);

    static constexpr const char* FolderName = ".sorvex-free-space";
    // The most one data file holds: a 16 TB disk takes 256 of them.
    static constexpr std::int64_t FileBytes = std::int64_t{64} << 30;
    // The last data written, in files small enough to be closed at once, is
    // given back for the names: no more than this much,
    static constexpr std::int64_t SliceBytes = std::int64_t{8} << 30;
    // nor less than this, or than 1 % of the file system where that is more.
    static constexpr std::int64_t LeastSliceBytes = std::int64_t{64} << 20;
    static constexpr std::int64_t SliceFileBytes = std::int64_t{32} << 20;
    static constexpr int NamesPerFolder = 65536;
    static constexpr std::size_t SmallFileBytes = 2048; // inline on btrfs, a block elsewhere
    static constexpr std::int64_t SmallFiles = 4096; // names with noise, before the empty ones
    // Names whose inodes are written again and again to turn the journal over.
    static constexpr std::size_t PoolNames = 16384;
    static constexpr int MaxRounds = 4096;

private:
    using FileSystem = WipeReport::FileSystem;
    void WipeOne(int folder, FileSystem& fs, std::int64_t left);
    void WipeIn(int work, FileSystem& fs, std::int64_t left);
    SpaceFault FillData(int work, FileSystem& fs, std::int64_t left);
    SpaceFault NewDataFile(int work);
    bool FlushData();
    void ReleaseSlice(int work);
    SpaceFault FillNames(int work, FileSystem& fs);
    SpaceFault MakeSmallFile(int folder, const std::string& name, bool withData, FileSystem& fs);
    SpaceFault NextNamesFolder(int work, int index);
    bool TurnJournal(int work, const Journal& start);
    bool Pumped(); // pumps; true when "Стоп" or "Выход" was pressed

    FileServices& files_;
    FreeSpaceServices& space_;
    RunView& view_;
    bool& stop_;
    Noise noise_;
    std::int64_t keep_ = 0; // free space never written: the reserve
    std::int64_t slice_ = 0;
    std::vector<UniqueFd> data_; // the data written so far, held
    std::size_t sliceFrom_ = 0; // data_ from here on is the slice
    int named_ = 0; // data files made with a name
    UniqueFd namesFolder_; // where names are made now
    UniqueFd poolFolder_; // the first of those folders, holding the pool
    std::vector<std::string> pool_;
};

} // namespace sorvex
