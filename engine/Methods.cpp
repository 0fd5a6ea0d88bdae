#include "engine/CShredder.h"

#include "engine/Error.h"
#include "engine/OpenFile.h"
#include "engine/RunView.h"
#include "platform/FileServices.h"

using namespace sorvex;

namespace {

[[noreturn]] void CannotWrite(const std::string& path)
{
    throw Error("Cannot write file " + path);
}

} // namespace

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

// A link is deleted as a link, and a file that other names still share is
// only unlinked here: its content is theirs too.
bool CShredder::NameOnly(const std::string& path)
{
    const sorvex::PathInfo info = fs_->Inspect(path);
    return info.kind == sorvex::PathKind::Link || (info.kind == sorvex::PathKind::Regular && info.links > 1);
}

void CShredder::WipeInPasses(int passes, const Block& pattern)
{
    view_->SetRange(Bar::Overall, 0, static_cast<std::int64_t>(Files.Count()));
    for (std::size_t i = 0; i < Files.Count(); ++i) {
        const std::string path(Files[i]);
        view_->ShowPath(path);
        const bool nameOnly = NameOnly(path);
        if (!nameOnly)
            fs_->MakeWritable(path);
        view_->SetPosition(Bar::File, 0);
        if (!nameOnly && !OverwriteInPasses(path, passes, pattern))
            return; // stopped: the stop sequence has ended the method
        view_->Step(Bar::Overall);
        view_->Pump();
        fs_->Remove(path);
    }
    ClosingSteps();
}

bool CShredder::OverwriteInPasses(const std::string& path, int passes, const Block& pattern)
{
    for (int pass = 0; pass < passes; ++pass) {
        if (!OverwritePass(path, passes, pattern))
            return false;
    }
    return true;
}

// Rewrites the file from its first byte with (size div 256) + 1 blocks, then
// flushes it to the medium. Only the bytes the file had when the pass began
// must be overwritten: a failure in the block past them is let go.
bool CShredder::OverwritePass(const std::string& path, int passes, const Block& pattern)
{
    OpenFile file(*fs_, path);
    const std::int64_t size = fs_->Size(file.Fd());
    if (size < 0)
        CannotWrite(path);
    const std::int64_t blocks = size / BlockSize + 1;
    view_->SetRange(Bar::File, 0, passes * blocks);
    for (std::int64_t block = 0; block < blocks; ++block) {
        const long written = fs_->Write(file.Fd(), pattern.data(), BlockSize);
        if (written < BlockSize && block * BlockSize + (written > 0 ? written : 0) < size)
            CannotWrite(path);
        view_->Pump();
        view_->Step(Bar::File);
        if (Stop) {
            StopSequence(file, path);
            return false;
        }
    }
    if (!fs_->Flush(file.Fd()))
        CannotWrite(path);
    return true;
}

// Ends the method at once: the file in hand is deleted as it stands.
void CShredder::StopSequence(OpenFile& file, const std::string& path)
{
    Stop = false;
    view_->Fill(Bar::Overall);
    view_->Fill(Bar::File);
    fs_->Flush(file.Fd()); // what was overwritten must reach the medium before the name goes
    file.Close();
    fs_->Remove(path);
    ClosingSteps();
}

void CShredder::WipeFast()
{
    view_->SetRange(Bar::Overall, 0, static_cast<std::int64_t>(Files.Count()));
    for (std::size_t i = 0; i < Files.Count(); ++i) {
        const std::string path(Files[i]);
        view_->ShowPath(path);
        if (!NameOnly(path)) {
            fs_->MakeWritable(path);
            OpenFile(*fs_, path).Close(); // proves the file can be opened for writing
        }
        fs_->Remove(path);
        view_->Step(Bar::Overall);
        view_->Pump();
        if (Stop) {
            Stop = false;
            view_->Fill(Bar::Overall);
            break;
        }
    }
    ClosingSteps();
}

void CShredder::ClosingSteps()
{
    Files.Clear();
    view_->ClosingSteps();
}
