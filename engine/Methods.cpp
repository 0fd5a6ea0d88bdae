#include "engine/CShredder.h"

#include "engine/Error.h"
#include "engine/FolderPath.h"
#include "engine/Holes.h"
#include "engine/Landing.h"
#include "engine/RunView.h"
#include "engine/WriteOut.h"

#include <algorithm>
#include <cerrno>

using namespace sorvex;

namespace {

// Why a file could not be opened for writing, as the report says it.
Remains RefusedBecause(Refusal why)
{
    switch (why) {
    case Refusal::ReadOnly:
        return Remains::ReadOnlyFileSystem;
    case Refusal::Protected:
        return Remains::WriteProtected;
    case Refusal::Busy:
        return Remains::InUse;
    case Refusal::Denied:
        return Remains::NoWritePermission;
    default:
        return Remains::SystemError;
    }
}

} // namespace

// The file in hand ends the run: the report shown before the error lists it
// with why, the error names it.
void CShredder::EndRun(const std::string& lead, std::string_view path, Remains why, int error)
{
    report_.Add(path, why, error);
    throw Error(lead, path);
}

void CShredder::CannotOpen(std::string_view path, Remains why, int error)
{
    EndRun("Cannot open file ", path, why, error);
}

void CShredder::CannotWrite(std::string_view path, int error)
{
    EndRun("Cannot write file ", path, Remains::SystemError, error);
}

// One pass of the character "0", as the other methods make theirs: the file
// cannot be read back from the medium once its name is gone.
void CShredder::WipeFast()
{
    WipeInPasses(1, ZeroCharBlock());
}

void CShredder::WipeBalanced()
{
    WipeInPasses(2, ZeroCharBlock());
}

void CShredder::WipeThorough()
{
    WipeInPasses(5, ZeroCharBlock());
}

void CShredder::WipeDoD()
{
    WipeInPasses(5, DodBlock(fs_->TickCount()));
}

void CShredder::WipeInPasses(int passes, const Block& pattern)
{
    StartTraces(passes, pattern);
    FolderPath folders(*fs_);
    view_->SetRange(Bar::Overall, 0, static_cast<std::int64_t>(Files.Count()));
    for (std::size_t i = 0; i < Files.Count(); ++i) {
        inHand_ = i;
        reportedBefore_ = report_.items.size();
        const std::string_view path = Files[i];
        view_->ShowPath(path);
        Reached file;
        const Treatment treatment = Reach(i, folders, file);
        view_->SetPosition(Bar::File, 0);
        UniqueFd open; // closed after the name is removed: see StopSequence
        if (treatment == Treatment::Overwrite) {
            Opened opened = fs_->OpenForWriting(file.folder, file.name, file.id);
            open = std::move(opened.fd);
            if (!open.IsOpen()) {
                Unreachable(path, opened.why, opened.error, RefusedBecause(opened.why));
            } else {
                ReportOtherHomes(path, file, open.Get());
                DestroyAttributes(path, open.Get());
                if (!OverwriteInPasses(path, file, open, passes, run_))
                    return; // stopped: the stop sequence has ended the method
                WithdrawOtherNames(file.id);
                NoteDestroyed(path);
            }
        }
        view_->Step(Bar::Overall);
        view_->Pump();
        if (treatment == Treatment::NameOnly || open.IsOpen())
            LetNameGo(i, file, open);
        open.Reset();
        if (lastOfFolder_[i])
            RemoveWaitingNames(path.substr(0, path.rfind('/') + 1));
        if (StopAfterFile())
            return;
    }
    ClosingSteps();
}

// Reaches file index of Files again, from its base name by name, and decides
// what may be done to it there. A file that is no longer the one found, or
// that the run must leave alone, is put in the report and skipped. A link is
// deleted as a link, and a file that other names still share is only
// unlinked: its content is theirs too.
CShredder::Treatment CShredder::Reach(std::size_t index, FolderPath& folders, Reached& file)
{
    const std::string_view path = Files[index];
    const PathList::Base base = Files.BaseOf(index);
    const std::string_view basePath = path.substr(0, base.length);
    if (!folders.IsAt(basePath, base.listedFolder)) { // the same base as the file before, mostly
        const FolderPath::Borrowed opened = folders.OpenBase(std::string(basePath), base.listedFolder);
        if (opened.fd < 0)
            return Unreachable(path, opened.why, opened.error);
        baseFileSystem_ = fs_->FileSystemOf(opened.fd);
    }
    if (baseFileSystem_.system) {
        report_.Add(path, Remains::SystemFileSystem);
        return Treatment::Skip;
    }
    const std::string_view below = path.substr(base.length);
    const std::size_t nameAt = below.rfind('/') + 1; // 0 where there is none
    const FolderPath::Borrowed folder = folders.GoTo(below.substr(0, nameAt));
    if (folder.fd < 0)
        return Unreachable(path, folder.why, folder.error);
    file.folder = folder.fd;
    file.name = below.substr(nameAt);
    file.id = Files.IdOf(index);
    file.inPlace = baseFileSystem_.overwritesInPlace;
    const Node node = fs_->Inspect(file.folder, file.name);
    if (node.kind == NodeKind::Missing || node.kind == NodeKind::Unknown)
        CannotOpen(path, Remains::SystemError, node.error);
    Remains skip = Remains::Changed;
    if (node.kind != NodeKind::Folder && !folders.OnDeepestMount(node))
        skip = Remains::OtherFileSystem; // a file mounted over this name
    else if (node.id == file.id && node.kind == NodeKind::Special)
        skip = Remains::NotAPlainFile;
    else if (node.id == file.id && node.kind == NodeKind::Link)
        return Treatment::NameOnly;
    else if (node.id == file.id && node.kind == NodeKind::Regular) {
        if (node.links == 1)
            return Treatment::Overwrite;
        otherNames_[node.id].push_back(report_.items.size());
        report_.Add(path, Remains::OtherNames);
        return Treatment::NameOnly;
    }
    report_.Add(path, skip);
    return Treatment::Skip;
}

// A folder on the way that is gone, or a file that cannot be opened, ends the
// run with the error, and the report says why (refused: what the file's own
// refusal means); one that is no longer what was found is left alone.
CShredder::Treatment CShredder::Unreachable(std::string_view path, Refusal why, int error, Remains refused)
{
    if (why == Refusal::Changed)
        report_.Add(path, Remains::Changed);
    else if (why == Refusal::OtherMount)
        report_.Add(path, Remains::OtherFileSystem);
    else
        CannotOpen(path, refused, error);
    return Treatment::Skip;
}

// Old bytes that no overwrite of the file can reach: a lower layer below an
// overlay, the journal of a file system that journals data, swap below tmpfs.
void CShredder::ReportOtherHomes(std::string_view path, const Reached& file, int fd)
{
    if (baseFileSystem_.swapsOut)
        report_.Add(path, Remains::Swapped);
    const OldCopy copy = baseFileSystem_.journalsData ? OldCopy::Journal : fs_->OldCopyOf(file.folder, file.name, fd);
    if (copy == OldCopy::LowerLayer)
        report_.Add(path, Remains::LowerLayer);
    else if (copy == OldCopy::Journal)
        report_.Add(path, Remains::Journalled);
}

namespace {

void ReportLanding(RunReport& report, std::string_view path, const LandingCheck& landing)
{
    if (landing.Result() == LandingCheck::Verdict::Elsewhere)
        report.Add(path, Remains::NotInPlace);
    else if (landing.Result() == LandingCheck::Verdict::Unchecked)
        report.Add(path, Remains::NotChecked);
}

} // namespace

// Each pass rewrites the file from its first byte with (size div 256) + 1
// blocks, passing over holes (see BlocksToWrite), then flushes it to the medium; the file stays open for all passes,
// so every pass writes the same inode. The blocks go out in runs of many per
// system call, each run followed by the pump and a look at "Стоп", and the
// data is sent on to the medium as the pass goes, so the flush that ends it
// has little left to wait for.
bool CShredder::OverwriteInPasses(std::string_view path, const Reached& file, UniqueFd& open, int passes,
                                  const BlockRun& run)
{
    const int fd = open.Get();
    LandingCheck landing;
    const std::int64_t runBlocks = static_cast<std::int64_t>(run.size() / BlockSize);
    for (int pass = 0; pass < passes; ++pass) {
        const std::int64_t size = fs_->Size(fd);
        if (size < 0)
            CannotWrite(path, errno);
        if (pass == 0)
            landing.Begin(*fs_, fd, size, file.inPlace);
        const std::int64_t blocks = size / BlockSize + 1;
        view_->SetRange(Bar::File, 0, passes * blocks);
        WriteOut writeOut;
        std::int64_t done = 0; // blocks of this pass written or passed over as holes
        const std::vector<BlockSpan> spans = BlocksToWrite(fs_->DataRanges(fd, size), size);
        const std::int64_t last = spans.empty() ? 0 : spans.back().first + spans.back().count;
        for (const BlockSpan& span : spans) {
            if (span.first > done)
                view_->Step(Bar::File, span.first - done);
            const std::int64_t end = span.first + span.count;
            for (std::int64_t block = span.first; block < end; block += runBlocks) {
                const std::int64_t count = std::min(runBlocks, end - block);
                WriteBlocks(path, fd, run, block, count, size);
                writeOut.After(*fs_, fd, (block + count) * BlockSize);
                view_->Pump();
                view_->Step(Bar::File, count);
                if (Stop) {
                    StopSequence(open, path, file, landing, pass == 0, block + count >= last);
                    return false;
                }
            }
            done = end;
        }
        if (blocks > done)
            view_->Step(Bar::File, blocks - done);
        if (!fs_->Flush(fd))
            CannotWrite(path, errno);
        if (!unsettled_.empty())
            Settled(file.id.dev);
        landing.AfterPass(*fs_, fd);
    }
    ReportLanding(report_, path, landing);
    return true;
}

// Writes count blocks from block first on, going on after a write that took
// only part of them. Only the bytes the file had when the pass began (size)
// must be overwritten: falling short of them raises the error; falling short
// past them is let go.
void CShredder::WriteBlocks(std::string_view path, int fd, const BlockRun& run, std::int64_t first, std::int64_t count,
                            std::int64_t size)
{
    const std::int64_t offset = first * BlockSize;
    const std::int64_t bytes = count * BlockSize;
    std::int64_t done = 0;
    int error = 0;
    while (done < bytes) {
        const long written = fs_->Write(fd, run.data() + done, static_cast<std::size_t>(bytes - done), offset + done);
        if (written <= 0) {
            error = written < 0 ? errno : ENOSPC; // nothing written, nothing said: the medium is full
            break;
        }
        done += written;
    }
    if (done < bytes && offset + done < size)
        CannotWrite(path, error);
}

// Ends the method at once: the file in hand is deleted as it stands. Its name
// goes while it is still open: removing the last name of a large file would
// free its space there and then, a tenth of a second per half gigabyte, while
// closing it afterwards leaves that to the file services.
// passEnded: the stop came after the last blocks of a pass, which then counts
// in full once flushed; a first pass stopped before its end leaves old bytes.
void CShredder::StopSequence(UniqueFd& open, std::string_view path, const Reached& file, LandingCheck& landing,
                             bool firstPass, bool passEnded)
{
    Stop = false;
    view_->Fill(Bar::Overall);
    view_->Fill(Bar::File);
    // What was overwritten must reach the medium before the name goes.
    if (fs_->Flush(open.Get()) && passEnded)
        landing.AfterPass(*fs_, open.Get());
    const bool partlyWritten = firstPass && !passEnded;
    TellMedium(path, file);
    const bool removed = RemoveName(path, file);
    open.Reset();
    NoteDestroyed(path);
    if (partlyWritten)
        report_.Add(path, Remains::Stopped);
    else
        ReportLanding(report_, path, landing);
    CountDestroyed(removed, TallyOfFileInHand());
    stopped_ = true;
    ClosingSteps();
}

bool CShredder::RemoveName(std::string_view path, const Reached& file)
{
    if (fs_->Remove(file.folder, file.name, file.id))
        return true;
    report_.Add(path, Remains::NotDeleted);
    return false;
}

// How the file in hand counts among those destroyed once its name is gone,
// from all that was reported of it: what is said of its medium or its
// attributes does not take it off the count.
CShredder::Tally CShredder::TallyOfFileInHand() const
{
    Tally tally{Tally::Destroyed, 0};
    for (std::size_t i = reportedBefore_; i < report_.items.size(); ++i) {
        const Remains why = report_.items[i].why;
        if (AboutTheMedium(why) || why == Remains::AttributesKept)
            continue;
        if (tally.kind != Tally::Destroyed || why != Remains::OtherNames)
            return {Tally::NotDestroyed, 0};
        tally = {Tally::LeftToOthers, i};
    }
    return tally;
}

void CShredder::CountDestroyed(bool removed, Tally tally)
{
    if (!removed)
        return;
    if (tally.kind == Tally::Destroyed)
        ++report_.destroyed;
    else if (tally.kind == Tally::LeftToOthers)
        leftToOthers_.push_back(tally.reportAt);
}

// The file's last name has been handled in full course: the names reported
// before as leaving the content to others no longer do; all were listed.
void CShredder::WithdrawOtherNames(FileId id)
{
    const auto names = otherNames_.find(id);
    if (names == otherNames_.end())
        return;
    withdrawn_.insert(withdrawn_.end(), names->second.begin(), names->second.end());
    otherNames_.erase(names);
}

// "Стоп" and "Выход" are answered before the next file is touched: the
// files handled are gone, names waiting for their folder too (ClosingSteps),
// the rest keep their names and their bytes.
bool CShredder::StopAfterFile()
{
    if (!Stop)
        return false;
    Stop = false;
    stopped_ = true;
    view_->Fill(Bar::Overall);
    ClosingSteps();
    return true;
}

void CShredder::ClosingSteps()
{
    FinishTraces();
    Files.Clear();
    view_->ClosingSteps();
}
