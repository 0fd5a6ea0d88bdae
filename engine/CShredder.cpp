#include "engine/CShredder.h"

#include "engine/FolderWalk.h"
#include "engine/FreeSpaceWipe.h"
#include "engine/RunView.h"
#include "engine/Trash.h"

#include <algorithm>
#include <functional>
#include <set>
#include <string_view>
#include <vector>

using namespace sorvex;

CShredder Shredder;

CShredder::CShredder() : fs_(&SystemServices()), space_(&SystemFreeSpace()) {}

namespace {

// Running() from here until the end of the scope, however it ends.
struct RunningNow {
    explicit RunningNow(bool& running) : running_(running) { running_ = true; }
    ~RunningNow() { running_ = false; }
    RunningNow(const RunningNow&) = delete;
    RunningNow& operator=(const RunningNow&) = delete;

private:
    bool& running_;
};

} // namespace

void CShredder::Run(int method)
{
    const RunningNow running(running_);
    report_ = {};
    otherNames_.clear();
    withdrawn_.clear();
    leftToOthers_.clear();
    inHand_ = 0;
    stopped_ = false;
    view_->ShowPreparing();
    BuildFileList();
    if (Stop) { // stopped or left while the folders were being read
        Stop = false;
        view_->RunEnded({}, RunEnd::Stopped);
        return;
    }
    try {
        switch (method) {
        case MethodFast:
            WipeFast();
            break;
        case MethodBalanced:
            WipeBalanced();
            break;
        case MethodThorough:
            WipeThorough();
            break;
        case MethodDoD:
            WipeDoD();
            break;
        default:
            return;
        }
    } catch (...) {
        FinishTraces(); // the names of the files overwritten before it go all the same
        view_->ShowAllNow(); // the file the error is about
        ReportNotReached();
        ShowReport(RunEnd::Failed); // what remains, before the error that ended the run
        throw;
    }
    // A stop pressed in the method's last pump, after its last look at the flag.
    Stop = false;
    ShowReport(stopped_ ? RunEnd::Stopped : RunEnd::Finished);
}

void CShredder::WipeFreeSpace(const std::vector<std::string>& folders)
{
    const RunningNow running(running_);
    FreeSpaceWipe wipe(*fs_, *space_, *view_, Stop);
    const WipeReport report = wipe.Run(folders);
    Stop = false; // pressed in the last pump, or answered
    view_->ShowWipeReport(report);
}

void CShredder::ShowReport(RunEnd how)
{
    SettleReport();
    view_->RunEnded(report_, how);
    if (!report_.Empty())
        view_->ShowReport(report_);
}

// Takes the withdrawn names out of the report, in one sweep; those removed
// count as destroyed.
void CShredder::SettleReport()
{
    if (withdrawn_.empty())
        return;
    std::sort(withdrawn_.begin(), withdrawn_.end());
    std::sort(leftToOthers_.begin(), leftToOthers_.end()); // names waiting for their folder go later
    for (const std::size_t item : withdrawn_) {
        if (std::binary_search(leftToOthers_.begin(), leftToOthers_.end(), item))
            ++report_.destroyed;
    }
    std::size_t kept = 0;
    std::size_t next = 0;
    for (std::size_t i = 0; i < report_.items.size(); ++i) {
        if (next < withdrawn_.size() && withdrawn_[next] == i)
            ++next;
        else
            report_.items[kept++] = std::move(report_.items[i]);
    }
    report_.items.resize(kept);
    withdrawn_.clear();
}

// Every file after the one in hand when an error ended the run keeps its
// name and its bytes.
void CShredder::ReportNotReached()
{
    for (std::size_t i = inHand_ + 1; i < Files.Count(); ++i)
        report_.Add(Files[i], Remains::NotReached);
}

namespace {

// The entries of the list expanded so far. The paths of an entry need looking
// up in Files only when an earlier one may have put some there: the same
// file, a folder above it, or anything at or below a folder. A list of
// entries apart from each other, the usual one, is then never looked up.
class ExpandedEntries {
public:
    // path: a file's, or a folder's ending in '/'.
    bool MayHaveAdded(std::string_view path) const
    {
        const auto atOrBelow = all_.lower_bound(path);
        if (atOrBelow != all_.end() && atOrBelow->starts_with(path))
            return true;
        if (folders_.empty())
            return false;
        for (std::size_t slash = path.find('/'); slash != std::string_view::npos && slash + 1 < path.size();
             slash = path.find('/', slash + 1)) {
            if (folders_.contains(path.substr(0, slash + 1)))
                return true;
        }
        return false;
    }
    void Add(const std::string& path, bool isFolder)
    {
        all_.insert(path);
        if (isFolder)
            folders_.insert(path);
    }

private:
    std::set<std::string, std::less<>> all_;
    std::set<std::string, std::less<>> folders_;
};

} // namespace

void CShredder::BuildFileList()
{
    Files.Clear();
    foldersRead_.clear();
    listedFiles_.clear();
    systemFolders_.clear();
    ExpandedEntries expanded;
    const TrashPlaces trash = TrashPlaces::OfThisUser();
    for (int i = 0; i < entries_->EntryCount(); ++i) {
        if (Stop)
            return;
        std::string path = entries_->EntryPath(i);
        const bool isFolder = entries_->KindOfEntry(i) == EntryKind::Folder;
        if (isFolder && (path.empty() || path.back() != '/'))
            path += '/';
        const bool lookUp = expanded.MayHaveAdded(path);
        if (isFolder)
            ScanFolder(path, Files, lookUp);
        else
            AddListedFile(path, lookUp);
        expanded.Add(path, isFolder);
        // An item of the Trash takes the Trash's note of where it came from
        // along, right after it, as if listed there.
        if (const std::string note = TrashNoteOf(path, trash); !note.empty() && IsPlainFile(note)) {
            AddListedFile(note, expanded.MayHaveAdded(note));
            expanded.Add(note, false);
        }
    }
}

// Looked at from its folder, opened by its path like a listed file's.
bool CShredder::IsPlainFile(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const Opened folder = fs_->OpenFolder(path.substr(0, slash + 1), false);
    return folder.fd.IsOpen() &&
           fs_->Inspect(folder.fd.Get(), std::string_view(path).substr(slash + 1)).kind == NodeKind::Regular;
}

// A listed file is reached from its folder by the path the user gave (links
// on the way included), and is whatever its own name is: a link is a link.
// What it is now is remembered, so that the run touches nothing else there.
void CShredder::AddListedFile(const std::string& path, bool lookUp)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t baseLength = slash == std::string::npos ? 0 : slash + 1;
    const std::string folder = path.substr(0, baseLength);
    const std::string_view name = std::string_view(path).substr(baseLength);
    FileId id;
    if (const Opened opened = fs_->OpenFolder(folder, false); opened.fd.IsOpen()) {
        const int fd = opened.fd.Get();
        const FileId in = fs_->IdOf(fd);
        // Files listed one by one mostly share their folder: its file system is asked once.
        const auto known = systemFolders_.find(in);
        const bool system = known != systemFolders_.end()
                                ? known->second
                                : systemFolders_.emplace(in, fs_->FileSystemOf(fd).system).first->second;
        id = fs_->Inspect(fd, name).id;
        if (system) {
            report_.Add(path, Remains::SystemFileSystem);
            return;
        }
        if (in.Known()) { // the same file under another spelling is destroyed once
            if (foldersRead_.contains(in) || !listedFiles_[in].insert(std::string(name)).second)
                return;
        }
    }
    Files.StartBase({baseLength, false});
    if (lookUp)
        Files.Append(path, id);
    else
        Files.AppendNew(path, {}, id);
}

namespace {

constexpr std::size_t PumpEveryFiles = 8192;

// Why a folder below a listed one is not expanded.
Remains WhyNotEntered(const FolderWalk::Item& item)
{
    if (item.listed)
        return Remains::FolderUnreadable;
    switch (item.why) {
    case Refusal::OtherMount:
        return Remains::OtherFileSystem;
    case Refusal::Changed:
        return Remains::Changed;
    default:
        return Remains::FolderUnreadable;
    }
}

} // namespace

// False when the folder was read already, under this spelling or another:
// through a link on the user's way to it, or as a folder below another entry.
bool CShredder::FirstTimeHere(FileId folder)
{
    return !folder.Known() || foldersRead_.insert(folder).second;
}

// A file in a folder about to be read that the list also names on its own.
bool CShredder::ListedOnItsOwn(FileId folder, std::string_view name) const
{
    if (listedFiles_.empty())
        return false;
    const auto files = listedFiles_.find(folder);
    return files != listedFiles_.end() && files->second.contains(std::string(name));
}

// What expansion does with the walk's steps: a listed folder on a system file
// system is left whole, a folder read before is not read again, a file
// listed on its own comes where it was listed, and what cannot be read is
// reported. Messages are pumped once for every folder whose scan ends or
// cannot start, and every so many files; a stop ends the scan at once.
void CShredder::ScanFolder(const std::string& folder, PathList& target, bool lookUp)
{
    FolderWalk walk(*fs_, folder, [this] {
        view_->Pump();
        return !Stop;
    });
    std::size_t sincePump = 0;
    while (!Stop) {
        const FolderWalk::Item& item = walk.Next();
        switch (item.step) {
        case FolderWalk::Step::End:
            return;
        case FolderWalk::Step::Folder:
            if (item.listed && fs_->FileSystemOf(item.fd).system) {
                report_.Add(folder, Remains::SystemFileSystem);
                view_->Pump();
                return;
            }
            if (!FirstTimeHere(item.folderId))
                walk.Skip();
            else if (item.listed)
                target.StartBase({folder.size(), true});
            break;
        case FolderWalk::Step::File:
            if (ListedOnItsOwn(item.folderId, item.name))
                break;
            if (lookUp || walk.NamesRepeated())
                target.Append(item.folder, item.name, item.id);
            else
                target.AppendNew(item.folder, item.name, item.id);
            if (++sincePump == PumpEveryFiles) { // a folder of a million files is not one long silence
                sincePump = 0;
                view_->Pump();
            }
            break;
        case FolderWalk::Step::Cut:
            report_.Add(item.folder, Remains::FolderUnreadable);
            break;
        case FolderWalk::Step::Refused:
            report_.Add(item.folder, WhyNotEntered(item));
            view_->Pump();
            break;
        case FolderWalk::Step::Left:
            view_->Pump();
            break;
        }
    }
}
