#include "engine/CShredder.h"

#include "app/Errors.h"
#include "app/Pump.h"
#include "engine/OpenFile.h"
#include "pages/frmProgress.h"

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
    WipeInPasses(5, DodBlock(fs_->tickCount()));
}

// A link is deleted as a link, and a file that other names still share is
// only unlinked here: its content is theirs too.
bool CShredder::NameOnly(const std::string& path)
{
    const platform::PathInfo info = fs_->inspect(path);
    return info.kind == platform::PathKind::Link ||
           (info.kind == platform::PathKind::Regular && info.links > 1);
}

void CShredder::WipeInPasses(int passes, const Block& pattern)
{
    frmProgr->prg2->SetMin(0);
    frmProgr->prg2->SetMax(static_cast<std::int64_t>(Files.Count()));
    for (std::size_t i = 0; i < Files.Count(); ++i) {
        const std::string path(Files[i]);
        ShowFile(path);
        const bool nameOnly = NameOnly(path);
        if (!nameOnly)
            fs_->makeWritable(path);
        frmProgr->prg1->SetPosition(0);
        if (!nameOnly && !OverwriteInPasses(path, passes, pattern))
            return; // stopped: the stop sequence has ended the method
        frmProgr->prg2->StepIt();
        ProcessMessages();
        fs_->remove(path);
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
    const std::int64_t size = fs_->size(file.Fd());
    if (size < 0)
        CannotWrite(path);
    const std::int64_t blocks = size / BlockSize + 1;
    ProgressBar& bar = *frmProgr->prg1;
    bar.SetMax(passes * blocks);
    for (std::int64_t block = 0; block < blocks; ++block) {
        const long written = fs_->write(file.Fd(), pattern.data(), BlockSize);
        if (written < BlockSize && block * BlockSize + (written > 0 ? written : 0) < size)
            CannotWrite(path);
        ProcessMessages();
        bar.StepIt();
        if (Stop) {
            StopSequence(file, path);
            return false;
        }
    }
    if (!fs_->flush(file.Fd()))
        CannotWrite(path);
    return true;
}

// Ends the method at once: the file in hand is deleted as it stands.
void CShredder::StopSequence(OpenFile& file, const std::string& path)
{
    Stop = false;
    frmProgr->prg2->SetPosition(frmProgr->prg2->Max());
    frmProgr->prg1->SetPosition(frmProgr->prg1->Max());
    fs_->flush(file.Fd()); // what was overwritten must reach the medium before the name goes
    file.Close();
    fs_->remove(path);
    ClosingSteps();
}

void CShredder::WipeFast()
{
    frmProgr->prg2->SetMin(0);
    frmProgr->prg2->SetMax(static_cast<std::int64_t>(Files.Count()));
    for (std::size_t i = 0; i < Files.Count(); ++i) {
        const std::string path(Files[i]);
        ShowFile(path);
        if (!NameOnly(path)) {
            fs_->makeWritable(path);
            OpenFile(*fs_, path).Close(); // proves the file can be opened for writing
        }
        fs_->remove(path);
        frmProgr->prg2->StepIt();
        ProcessMessages();
        if (Stop) {
            Stop = false;
            frmProgr->prg2->SetPosition(frmProgr->prg2->Max());
            break;
        }
    }
    ClosingSteps();
}

void CShredder::ClosingSteps()
{
    Files.Clear();
    frmProgr->Button1->setEnabled(true);
    frmProgr->Button2->setEnabled(true);
    frmProgr->Button4->setEnabled(false);
    frmProgr->st1->setVisible(true);
    frmProgr->st2->setVisible(true);
}
