#include "engine/FreeSpaceWipe.h"

#include "engine/RunView.h"
#include "engine/WriteOut.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>

namespace sorvex {

// One line per reason: what a run leaves in blocks it has given back to the
// file system is in the free space; what still belongs to a file is not.
bool WipeReaches(Remains why)
{
    switch (why) {
    case Remains::NotInPlace: // the old blocks went free with the file (shared ones stay)
    case Remains::NotChecked: // wherever the overwrite went, the old blocks are free now
    case Remains::Stopped: // the unwritten part went free with the file
    case Remains::Journalled: // the journal is written over from end to end
    case Remains::NamesInFolderBlocks: // the blocks a folder gave back, and the journal (not those it holds)
    case Remains::NamesInCopies: // the older copies of the records are free metadata space
    case Remains::NamesInJournal: // the journal is written over from end to end
    case Remains::AttributesKept: // freed records and blocks, and the journal
        return true;
    case Remains::OtherNames: // the content is another name's
    case Remains::FolderUnreadable: // its files were never reached
    case Remains::NotDeleted: // the file is still there
    case Remains::OtherFileSystem: // never touched
    case Remains::SystemFileSystem: // never touched
    case Remains::Changed: // never touched
    case Remains::NotAPlainFile: // never touched
    case Remains::LowerLayer: // a lower layer is no free space
    case Remains::Swapped: // swap is no file system's free space
    case Remains::NotReached: // the file is still there
    case Remains::ReadOnlyFileSystem: // the file is still there
    case Remains::WriteProtected: // the file is still there
    case Remains::InUse: // the file is still there
    case Remains::NoWritePermission: // the file is still there
    case Remains::SystemError: // the file is still there
    case Remains::Flash: // cells the controller set aside: no write reaches them
    case Remains::DesktopCopy: // the thumbnail or the list is still there
        return false;
    }
    return false;
}

std::vector<std::string> FoldersToWipe(const RunReport& report)
{
    std::vector<std::string> folders;
    for (const RunReport::Item& item : report.items) {
        const std::string& path = item.path;
        const std::string folder = !AboutTheMedium(item.why) ? path.substr(0, path.rfind('/') + 1)
                                   : path.ends_with('/')     ? path
                                                             : path + '/';
        if (WipeReaches(item.why) && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    return folders;
}

namespace {

constexpr std::int64_t SmallestInode = 128; // bytes a touched inode writes to the journal, at least
constexpr std::int64_t LongestJournal = std::int64_t{2} << 30; // where the system does not tell its length

WipeEnd EndOf(SpaceFault fault)
{
    switch (fault) {
    case SpaceFault::None:
        return WipeEnd::Wiped;
    case SpaceFault::ReadOnly:
        return WipeEnd::ReadOnly;
    case SpaceFault::Full:
        return WipeEnd::Full;
    case SpaceFault::Denied:
        return WipeEnd::Denied;
    case SpaceFault::Exists:
    case SpaceFault::Busy:
        return WipeEnd::Busy;
    case SpaceFault::Failed:
        break;
    }
    return WipeEnd::Failed;
}

// The room never written: at least the root's reserve (statvfs's available
// leaves it out), and on the file systems the desktop lives on, 1 % more.
std::int64_t KeepOf(const Room& room, const Place& place)
{
    return place.keepsLastPercent ? room.size / 100 : 0;
}

bool Lapped(const Journal& start, const Journal& now)
{
    return now.cycle > start.cycle + 1 || (now.cycle == start.cycle + 1 && now.block >= start.block);
}

// The one folder a wipe makes on a file system, in the folder named, with
// its guard: every file and name of the wipe is in it, and it goes with all
// it holds at any end. A leftover of a wipe that ended unseen goes first.
class WorkFolder {
public:
    WorkFolder(FreeSpaceServices& space, int parent) : space_(space), parent_(parent)
    {
        fault_ = space.RemoveLeftover(parent, FreeSpaceWipe::FolderName);
        if (fault_ != SpaceFault::None)
            return;
        Made made = space.MakeFolder(parent, FreeSpaceWipe::FolderName);
        fault_ = made.fault;
        fd_ = std::move(made.fd);
        if (fd_.IsOpen())
            guard_ = space.Guard(parent, fd_.Get(), FreeSpaceWipe::FolderName);
    }
    ~WorkFolder() { Remove(false, {}); }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    SpaceFault Fault() const { return fault_; }
    int Fd() const { return fd_.Get(); }
    // Stopped, the guard removes it, so that "Стоп" waits for no file
    // system; otherwise, or where there is no guard, it is removed here.
    void Remove(bool stopped, const std::function<void()>& between)
    {
        if (stopped && guard_.HandOver())
            fd_.Reset();
        if (fd_.IsOpen()) {
            space_.ClearFolder(fd_.Get(), between);
            fd_.Reset();
            (void)space_.RemoveFolder(parent_, FreeSpaceWipe::FolderName);
        }
        guard_.Release();
    }

private:
    FreeSpaceServices& space_;
    int parent_;
    SpaceFault fault_;
    UniqueFd fd_;
    FolderGuard guard_;
};

} // namespace

FreeSpaceWipe::FreeSpaceWipe(FileServices& files, FreeSpaceServices& space, RunView& view, bool& stop)
    : files_(files), space_(space), view_(view), stop_(stop), noise_(std::random_device{}())
{}

// Each file system once, however many of its folders were named; the first
// named is where the wipe works. The overall bar counts the free space of all.
WipeReport FreeSpaceWipe::Run(const std::vector<std::string>& folders)
{
    WipeReport report;
    std::vector<UniqueFd> opened;
    std::vector<std::uint64_t> devices;
    std::vector<std::int64_t> left;
    for (const std::string& folder : folders) {
        Opened one = files_.OpenFolder(folder, false);
        const std::uint64_t device = one.fd.IsOpen() ? files_.IdOf(one.fd.Get()).dev : 0;
        if (device != 0 && std::find(devices.begin(), devices.end(), device) != devices.end())
            continue;
        FileSystem& fs = report.fileSystems.emplace_back();
        fs.folder = folder;
        if (one.fd.IsOpen()) {
            fs.place = space_.PlaceOf(one.fd.Get());
            const Room room = space_.RoomOf(one.fd.Get());
            left.push_back(
                std::max<std::int64_t>(room.available - (fs.place.keepsLastPercent ? room.size / 100 : 0), 0));
        } else {
            fs.end = WipeEnd::Unopened;
            left.push_back(0);
        }
        devices.push_back(device);
        opened.push_back(std::move(one.fd));
    }
    std::int64_t total = 0;
    for (const std::int64_t bytes : left)
        total += bytes;
    view_.SetRange(Bar::Overall, 0, total);
    std::int64_t done = 0;
    for (std::size_t i = 0; i < opened.size(); ++i) {
        FileSystem& fs = report.fileSystems[i];
        if (fs.end == WipeEnd::Unopened)
            continue;
        if (stop_)
            fs.end = WipeEnd::NotReached;
        else
            WipeOne(opened[i].Get(), fs, left[i]);
        done += left[i];
        view_.SetPosition(Bar::Overall, done);
    }
    view_.Fill(Bar::Overall);
    view_.ClosingSteps();
    return report;
}

void FreeSpaceWipe::WipeOne(int folder, FileSystem& fs, std::int64_t left)
{
    view_.ShowPath(fs.place.mountPoint.empty() ? fs.folder : fs.place.mountPoint);
    const Room room = space_.RoomOf(folder);
    keep_ = KeepOf(room, fs.place);
    slice_ = std::min({left / 2, std::max(LeastSliceBytes, room.size / 100), SliceBytes});
    if (fs.place.notADisk || room.readOnly || left <= 0) {
        fs.end = fs.place.notADisk ? WipeEnd::NotADisk : room.readOnly ? WipeEnd::ReadOnly : WipeEnd::Full;
        return;
    }
    WorkFolder work(space_, folder);
    if (work.Fault() != SpaceFault::None) {
        fs.end = EndOf(work.Fault());
        return;
    }
    WipeIn(work.Fd(), fs, left);
    // All the room back at once; then the names, which take their time.
    data_.clear();
    namesFolder_.Reset();
    poolFolder_.Reset();
    pool_.clear();
    view_.SetRange(Bar::File, 0, fs.names);
    view_.SetPosition(Bar::File, 0);
    work.Remove(stop_, [this] {
        view_.Step(Bar::File, 1024);
        view_.Pump();
    });
    view_.Fill(Bar::File);
}

// The phases in turn, each one ending the wipe when it fails or is stopped.
void FreeSpaceWipe::WipeIn(int work, FileSystem& fs, std::int64_t left)
{
    const Journal journal = space_.JournalOf(work);
    fs.hasJournal = journal.present;
    SpaceFault fault = FillData(work, fs, left);
    if (fault == SpaceFault::None && !stop_ && !FlushData())
        fault = SpaceFault::Failed;
    if (fault == SpaceFault::None && !stop_) {
        ReleaseSlice(work);
        fault = FillNames(work, fs);
    }
    if (fault == SpaceFault::None && !stop_ && !space_.SyncAll(work))
        fault = SpaceFault::Failed;
    if (fault == SpaceFault::None && !stop_ && journal.present)
        fs.journalTurned = TurnJournal(work, journal);
    fs.end = stop_ ? WipeEnd::Stopped : EndOf(fault);
}

bool FreeSpaceWipe::Pumped()
{
    view_.Pump();
    return stop_;
}

// Noise, a chunk at a time, until only the reserve is left or the file
// system takes no more; each file holds FileBytes at most, or less where the
// file system stops it (vfat: 4 GiB), and the slice comes in small files.
SpaceFault FreeSpaceWipe::FillData(int work, FileSystem& fs, std::int64_t left)
{
    view_.SetRange(Bar::File, 0, left);
    view_.SetPosition(Bar::File, 0);
    data_.clear();
    sliceFrom_ = SIZE_MAX;
    std::int64_t offset = 0;
    std::int64_t fileBytes = 0; // the most the file in hand takes
    WriteOut out;
    while (!stop_) {
        left = space_.RoomOf(work).available - keep_;
        if (left <= 0)
            return SpaceFault::None;
        const bool sliceStarts = left <= slice_ && sliceFrom_ == SIZE_MAX;
        if (data_.empty() || offset >= fileBytes || sliceStarts) {
            if (sliceStarts)
                sliceFrom_ = data_.size();
            const SpaceFault opened = NewDataFile(work);
            if (opened != SpaceFault::None)
                return opened == SpaceFault::Full ? SpaceFault::None : opened;
            offset = 0;
            fileBytes = sliceFrom_ == SIZE_MAX ? FileBytes : SliceFileBytes;
            out = {};
        }
        const int fd = data_.back().Get();
        const auto count =
            static_cast<std::size_t>(std::min({static_cast<std::int64_t>(Noise::Bytes), left, fileBytes - offset}));
        const Filled filled = space_.Fill(fd, noise_.Chunk(), count, offset);
        offset += filled.written;
        fs.bytes += filled.written;
        view_.Step(Bar::File, filled.written);
        view_.Step(Bar::Overall, filled.written);
        if (filled.fault == SpaceFault::Full && offset == 0)
            return SpaceFault::None; // a new file takes nothing: the file system is full
        if (filled.fault == SpaceFault::Full)
            fileBytes = offset; // this file can grow no more: the next one
        else if (filled.fault != SpaceFault::None)
            return filled.fault;
        else
            out.After(files_, fd, offset);
        view_.Pump();
    }
    return SpaceFault::None;
}

// Closed through the file services: a large file without a name gives its
// room back on a thread of its own, so neither a stop nor the end waits.
SpaceFault FreeSpaceWipe::NewDataFile(int work)
{
    Made made = space_.OpenUnnamed(work);
    if (made.fault == SpaceFault::Failed) { // the file system has none: named, and unlinked at once
        const std::string name = "data-" + std::to_string(++named_);
        made = space_.MakeFile(work, name);
        if (made.fd.IsOpen())
            (void)space_.RemoveName(work, name);
    }
    if (!made.fd.IsOpen())
        return made.fault;
    data_.emplace_back(files_, made.fd.Release());
    return SpaceFault::None;
}

// The data must reach the medium before its files go: a file closed without
// a name takes its unwritten data with it.
bool FreeSpaceWipe::FlushData()
{
    for (const UniqueFd& file : data_) {
        if (!files_.Flush(file.Get()))
            return false;
        if (Pumped())
            return true;
    }
    return true;
}

// Committed, so that the room is seen free (btrfs frees at the commit).
void FreeSpaceWipe::ReleaseSlice(int work)
{
    while (data_.size() > sliceFrom_) {
        data_.pop_back();
        view_.Pump();
    }
    (void)space_.SyncAll(work);
}

// Small files with long names of noise, in folders of their own, until the
// file system takes no more (of inodes, of folder blocks, of metadata) or the
// names eat into the reserve. Where names take no data space (btrfs keeps
// them apart, and shows the slice given back only after a while) the room
// seen may be below the reserve from the start, and the names go on.
SpaceFault FreeSpaceWipe::FillNames(int work, FileSystem& fs)
{
    const Room room = space_.RoomOf(work);
    view_.SetRange(Bar::File, 0, std::max<std::int64_t>(room.freeInodes, 0));
    view_.SetPosition(Bar::File, 0);
    std::string name(static_cast<std::size_t>(std::max(room.nameMax, 16)), 'n');
    int folders = 0;
    int inFolder = NamesPerFolder;
    int clashes = 0;
    bool roomForData = room.available > keep_;
    while (!stop_) {
        if (inFolder == NamesPerFolder) {
            const SpaceFault made = NextNamesFolder(work, folders++);
            if (made != SpaceFault::None)
                return made == SpaceFault::Full ? SpaceFault::None : made;
            inFolder = 0;
        }
        noise_.Name(name);
        const bool withData = roomForData && fs.names < SmallFiles;
        const SpaceFault made = MakeSmallFile(namesFolder_.Get(), name, withData, fs);
        if (made == SpaceFault::Exists && ++clashes < 64)
            continue;
        if (made == SpaceFault::Full || made == SpaceFault::Exists) {
            if (inFolder == 0)
                return SpaceFault::None; // a new folder takes no name: the file system is full
            inFolder = NamesPerFolder; // this folder takes no more: the next one
            continue;
        }
        if (made != SpaceFault::None)
            return made;
        clashes = 0;
        ++inFolder;
        if (folders == 1 && pool_.size() < PoolNames)
            pool_.push_back(name);
        if (++fs.names % 256 == 0) {
            view_.Step(Bar::File, 256);
            const std::int64_t available = space_.RoomOf(work).available;
            if (available <= keep_ && available < room.available)
                return SpaceFault::None;
            roomForData = available > keep_;
            view_.Pump();
        }
    }
    return SpaceFault::None;
}

// A name, with SmallFileBytes of noise for the first SmallFiles while there is
// room above the reserve: each small file is given a block of its own, and
// the allocators give small requests the small free stretches a large file
// passes over (btrfs keeps them inside its metadata). The names after them
// are empty, so that what is left goes to inodes and folder blocks. The
// noise reaches the medium with the commit that follows the names.
SpaceFault FreeSpaceWipe::MakeSmallFile(int folder, const std::string& name, bool withData, FileSystem& fs)
{
    if (!withData)
        return space_.MakeName(folder, name);
    Made made = space_.MakeFile(folder, name);
    if (!made.fd.IsOpen())
        return made.fault;
    const Filled filled = space_.Fill(made.fd.Get(), noise_.Chunk(), SmallFileBytes, 0);
    fs.bytes += filled.written;
    return filled.fault == SpaceFault::Full ? SpaceFault::None : filled.fault; // a name all the same
}

SpaceFault FreeSpaceWipe::NextNamesFolder(int work, int index)
{
    std::string name = "n"; // appended to, not joined: GCC 12 at -O3 warns of an overlap in the join
    name += std::to_string(index);
    Made made = space_.MakeFolder(work, name);
    if (!made.fd.IsOpen())
        return made.fault;
    if (index == 1)
        poolFolder_ = std::move(namesFolder_);
    namesFolder_ = std::move(made.fd);
    return SpaceFault::None;
}

// Writes the journal over from end to end, so that nothing it held of the
// files a run destroyed (their names; with data=journal their data) is
// left: the pool's inodes are written again and again, each round
// committed, until the journal's head has come round (xfs tells where it
// is), or until the rounds have written more than the journal holds.
bool FreeSpaceWipe::TurnJournal(int work, const Journal& start)
{
    const int folder = poolFolder_.IsOpen() ? poolFolder_.Get() : namesFolder_.Get();
    if (pool_.empty() || folder < 0)
        return false;
    const std::int64_t length = start.length > 0 ? start.length : LongestJournal;
    const std::int64_t perRound = static_cast<std::int64_t>(pool_.size()) * SmallestInode;
    const std::int64_t rounds = std::min<std::int64_t>((length + perRound - 1) / perRound, MaxRounds);
    view_.SetRange(Bar::File, 0, rounds);
    view_.SetPosition(Bar::File, 0);
    for (std::int64_t round = 1; round <= MaxRounds; ++round) {
        for (std::size_t i = 0; i < pool_.size(); ++i) {
            if (!space_.Touch(folder, pool_[i], round % 2 == 1))
                return false;
            if (i % 1024 == 1023 && Pumped())
                return false;
        }
        if (!space_.SyncAll(work))
            return false;
        view_.Step(Bar::File, 1);
        const Journal now = space_.JournalOf(work);
        if (start.headKnown && now.headKnown ? Lapped(start, now) : round >= rounds)
            return true;
        if (Pumped())
            return false;
    }
    return false;
}

} // namespace sorvex
