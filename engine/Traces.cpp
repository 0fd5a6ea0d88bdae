// What goes with a file besides its content: its user.* attributes, its
// name (a folder's names together where a flush between two removals would
// copy the rest into the journal), the desktop's copies of it (thumbnails,
// recent documents, its entries in the list of recent files), and what the
// medium below may still keep, said once per file system.
#include "engine/CShredder.h"

#include <algorithm>
#include <set>

using namespace sorvex;

namespace {

// Waiting files whose descriptors stay open until their names go.
constexpr std::size_t MaxHeld = 32;
// Folders whose names wait, each holding a descriptor: a deep tree whose
// folders each wait for a file after their subfolder must leave the walk
// descriptors enough. A folder past these lets its names go one by one.
constexpr std::size_t MaxWaitingFolders = 32;

std::string_view FolderOf(std::string_view path)
{
    return path.substr(0, path.rfind('/') + 1);
}

std::string_view NameOf(std::string_view path)
{
    return path.substr(path.rfind('/') + 1);
}

// For every path of files, whether it is the last of its folder there.
std::vector<bool> LastOfTheirFolders(const PathList& files)
{
    std::vector<bool> last(files.Count());
    std::unordered_set<std::string_view> seen;
    for (std::size_t i = files.Count(); i-- > 0;)
        last[i] = seen.insert(FolderOf(files[i])).second;
    return last;
}

} // namespace

void CShredder::StartTraces(int passes, const Block& pattern)
{
    passes_ = passes;
    pattern_ = pattern;
    run_ = RunOf(pattern, runBlocks_);
    waiting_.clear();
    held_ = 0;
    unsettled_.clear();
    mediaTold_.clear();
    copies_.clear();
    lastOfFolder_ = LastOfTheirFolders(Files);
    desktop_.Find(*fs_, DesktopPlaces::OfUser());
}

// Each user.* value is written over with the pattern, flushed, and removed.
// A file system that writes a changed record elsewhere, or keeps copies of
// it in its journal, may still hold the old values: the report says so.
void CShredder::DestroyAttributes(std::string_view path, int fd)
{
    const std::vector<std::string> names = fs_->UserAttributes(fd);
    if (names.empty())
        return;
    bool gone = true;
    for (const std::string& name : names) {
        const std::int64_t size = fs_->AttributeSize(fd, name);
        std::string value(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)), '\0');
        for (std::size_t i = 0; i < value.size(); ++i)
            value[i] = static_cast<char>(pattern_[i % pattern_.size()]);
        gone = size >= 0 && fs_->WriteAttribute(fd, name, value) && gone;
    }
    gone = fs_->FlushAll(fd) && gone;
    for (const std::string& name : names)
        gone = fs_->RemoveAttribute(fd, name) && gone;
    if (!gone || baseFileSystem_.keepsOldAttributes)
        report_.Add(path, Remains::AttributesKept);
}

// The name goes now, or where names go a folder at a time, once the last
// file of its folder is done.
void CShredder::LetNameGo(std::size_t index, const Reached& file, UniqueFd& open)
{
    const std::string_view path = Files[index];
    TellMedium(path, file);
    const Tally tally = TallyOfFileInHand();
    auto waiting = waiting_.find(FolderOf(path));
    if (waiting == waiting_.end() && baseFileSystem_.namesTogether && waiting_.size() < MaxWaitingFolders) {
        Opened copy = fs_->Duplicate(file.folder); // the walk may let its own go meanwhile
        if (copy.fd.IsOpen())
            waiting = waiting_.emplace(FolderOf(path), WaitingFolder{std::move(copy.fd), {}}).first;
    }
    if (waiting == waiting_.end()) {
        CountDestroyed(RemoveName(path, file), tally);
        return;
    }
    Waiting name{index, file.id, {}, tally};
    if (open.IsOpen() && held_ < MaxHeld) {
        name.open = std::move(open);
        ++held_;
    }
    waiting->second.names.push_back(std::move(name));
}

// The folder's names, one after the other with no flush between: its
// blocks reach the journal with all of them gone.
void CShredder::RemoveWaitingNames(std::string_view folder)
{
    const auto found = waiting_.find(folder);
    if (found == waiting_.end())
        return;
    WaitingFolder& waiting = found->second;
    for (Waiting& name : waiting.names) {
        const std::string_view path = Files[name.index];
        CountDestroyed(RemoveName(path, {waiting.folder.Get(), NameOf(path), name.id}), name.tally);
        if (name.open.IsOpen()) {
            name.open.Reset();
            --held_;
        }
    }
    unsettled_.emplace_back(waiting.names.front().id.dev, std::move(waiting.folder));
    waiting_.erase(found);
}

// A flush on device has taken the folders' removals there to the medium.
void CShredder::Settled(std::uint64_t device)
{
    std::erase_if(unsettled_, [device](const auto& folder) { return folder.first == device; });
}

// What the medium of a file whose name goes may keep, once per file system.
void CShredder::TellMedium(std::string_view path, const Reached& file)
{
    if (!mediaTold_.insert(file.id.dev).second)
        return;
    Medium medium = fs_->MediumOf(file.folder);
    if (medium.mountPoint.empty())
        medium.mountPoint = FolderOf(path);
    if (baseFileSystem_.names == NameTrace::FolderBlocks)
        report_.Add(medium.mountPoint, Remains::NamesInFolderBlocks);
    else if (baseFileSystem_.names == NameTrace::Copies)
        report_.Add(medium.mountPoint, Remains::NamesInCopies);
    else if (baseFileSystem_.names == NameTrace::Journal)
        report_.Add(medium.mountPoint, Remains::NamesInJournal);
    if (medium.flash)
        report_.Add(medium.mountPoint, Remains::Flash);
}

void CShredder::NoteDestroyed(std::string_view path)
{
    if (!desktop_.Empty())
        desktop_.Destroyed(path, copies_);
}

// The method's passes over a file that is not in the list (a copy of one):
// from its first byte, (size div 256) + 1 blocks a pass, each pass flushed.
bool CShredder::WriteOver(int fd)
{
    for (int pass = 0; pass < passes_; ++pass) {
        const std::int64_t size = fs_->Size(fd);
        if (size < 0)
            return false;
        const std::int64_t bytes = (size / BlockSize + 1) * BlockSize;
        for (std::int64_t at = 0; at < bytes;) {
            const auto count = static_cast<std::size_t>(std::min<std::int64_t>(bytes - at, std::ssize(run_)));
            const long written = fs_->Write(fd, run_.data(), count, at);
            if (written <= 0)
                return false;
            at += written;
        }
        if (!fs_->Flush(fd))
            return false;
    }
    return true;
}

// Every copy overwritten first, then their names removed together, then
// their folders flushed.
void CShredder::DestroyCopies()
{
    std::vector<const DesktopCopies::Copy*> written;
    for (const DesktopCopies::Copy& copy : copies_) {
        const Opened opened = fs_->OpenForWriting(copy.folder, copy.name, copy.id);
        if (opened.fd.IsOpen() && WriteOver(opened.fd.Get()))
            written.push_back(&copy);
        else if (opened.why != Refusal::Missing) // gone already: listed itself, or removed meanwhile
            report_.Add(copy.path, Remains::DesktopCopy);
    }
    std::set<int> folders;
    for (const DesktopCopies::Copy* copy : written) {
        if (!fs_->Remove(copy->folder, copy->name, copy->id))
            report_.Add(copy->path, Remains::DesktopCopy);
        folders.insert(copy->folder);
    }
    for (const int folder : folders)
        (void)fs_->FlushAll(folder);
    copies_.clear();
}

// The list of recent files is written anew without the destroyed files'
// entries, and its old bytes are overwritten.
void CShredder::ForgetInRecentList()
{
    DesktopCopies::RecentList list;
    if (!desktop_.ChangedRecentList(list))
        return;
    const Opened old = fs_->ReplaceFile(list.folder, list.name, list.id, list.content);
    if (!old.fd.IsOpen() || !WriteOver(old.fd.Get()))
        report_.Add(list.path, Remains::DesktopCopy);
}

// At the end of a run, however it ends: every name still waiting goes (a
// stopped run's files already overwritten too), then the desktop's copies,
// and the folders whose names went last are flushed, so that the removals
// are on the medium when the run says they are done.
void CShredder::FinishTraces()
{
    while (!waiting_.empty())
        RemoveWaitingNames(waiting_.begin()->first);
    DestroyCopies();
    ForgetInRecentList();
    for (const auto& [device, folder] : unsettled_)
        (void)fs_->FlushAll(folder.Get());
    unsettled_.clear();
    desktop_.Clear();
}
