#include "engine/FolderWalk.h"

#include <utility>

namespace sorvex {

FolderWalk::FolderWalk(FileServices& fs, std::string folder, std::function<bool()> betweenBatches)
    : fs_(fs), path_(fs), betweenBatches_(std::move(betweenBatches)), base_(std::move(folder))
{}

FolderWalk::Item FolderWalk::Next()
{
    if (!started_) {
        started_ = true;
        return Enter(base_, path_.OpenBase(base_, true), true);
    }
    if (unread_)
        return Read();
    while (depth_ > 0) {
        Frame& frame = frames_[depth_ - 1];
        Item item{.step = Step::File, .folder = frame.folder, .folderId = frame.id};
        bool isFolder = false;
        if (!frame.entries.Next(item.name, isFolder, item.id)) {
            Leave();
            item.step = Step::Left;
            return item;
        }
        if (!isFolder)
            return item;
        std::string child = frame.folder;
        child.append(item.name).push_back('/');
        return Enter(std::move(child), path_.Down(item.name), false);
    }
    return {};
}

// A folder just opened (or refused) becomes the deepest frame.
FolderWalk::Item FolderWalk::Enter(std::string folder, FolderPath::Borrowed opened, bool listed)
{
    if (opened.fd < 0) {
        refused_ = std::move(folder);
        return {.step = Step::Refused, .folder = refused_, .why = opened.why, .listed = listed};
    }
    if (frames_.size() == depth_)
        frames_.emplace_back();
    Frame& frame = frames_[depth_++];
    frame.folder = std::move(folder);
    frame.id = path_.DeepestId();
    unread_ = true;
    return {.step = Step::Folder, .folder = frame.folder, .folderId = frame.id, .fd = opened.fd, .listed = listed};
}

FolderWalk::Item FolderWalk::Read()
{
    unread_ = false;
    Frame& frame = frames_[depth_ - 1];
    const bool listed = depth_ == 1;
    const FolderPath::Borrowed folder = path_.Deepest();
    const Listed read = folder.fd < 0 ? Listed::Nothing : fs_.ListFolder(folder.fd, frame.entries, betweenBatches_);
    if (read == Listed::Nothing) {
        Leave();
        const Refusal why = folder.fd < 0 ? folder.why : Refusal::Failed;
        return {.step = Step::Refused, .folder = frame.folder, .folderId = frame.id, .why = why, .listed = listed};
    }
    // Every folder is reached once, by its own name in its parent, so its
    // paths are new unless the folder repeats a name.
    if (!namesRepeated_ && !frame.entries.NamesAreDistinct([this] { (void)betweenBatches_(); }))
        namesRepeated_ = true;
    if (read == Listed::Cut)
        return {.step = Step::Cut, .folder = frame.folder, .folderId = frame.id, .listed = listed};
    return Next();
}

void FolderWalk::Skip()
{
    unread_ = false;
    Leave();
}

void FolderWalk::Leave()
{
    if (--depth_ > 0)
        path_.Up();
}

} // namespace sorvex
