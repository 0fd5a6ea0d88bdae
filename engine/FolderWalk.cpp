#include "engine/FolderWalk.h"

#include <utility>

namespace sorvex {

FolderWalk::FolderWalk(FileServices& fs, std::string folder, std::function<bool()> betweenBatches)
    : fs_(fs), path_(fs), betweenBatches_(std::move(betweenBatches)), folder_(std::move(folder))
{}

const FolderWalk::Item& FolderWalk::Next()
{
    if (!started_) {
        started_ = true;
        return Enter(path_.OpenBase(folder_, true), true);
    }
    if (unread_)
        return Read();
    while (depth_ > 0) {
        Frame& frame = frames_[depth_ - 1];
        std::string_view name;
        bool isFolder = false;
        FileId id;
        if (!frame.entries.Next(name, isFolder, id)) {
            Leave();
            return Say(Step::Left, frame);
        }
        if (isFolder) {
            folder_.resize(frame.length);
            folder_.append(name).push_back('/');
            return Enter(path_.Down(name), false);
        }
        // The step taken most, so only what a file changes is set: a file
        // after a file is in the same folder (a Folder or Left step comes
        // between two folders).
        if (item_.step != Step::File)
            Say(Step::File, frame);
        item_.name = name;
        item_.id = id;
        return item_;
    }
    item_ = {};
    return item_;
}

const FolderWalk::Item& FolderWalk::Say(Step step, const Frame& frame, Refusal why)
{
    const std::string_view folder = std::string_view(folder_).substr(0, frame.length);
    item_ = {.step = step, .folder = folder, .folderId = frame.id, .why = why, .listed = depth_ <= 1};
    return item_;
}

// The folder folder_ names, just opened (or refused), becomes the deepest frame.
const FolderWalk::Item& FolderWalk::Enter(FolderPath::Borrowed opened, bool listed)
{
    if (opened.fd < 0) {
        item_ = {.step = Step::Refused, .folder = folder_, .why = opened.why, .listed = listed};
        return item_;
    }
    if (frames_.size() == depth_)
        frames_.emplace_back();
    Frame& frame = frames_[depth_++];
    frame.length = folder_.size();
    frame.id = path_.DeepestId();
    unread_ = true;
    item_ = {.step = Step::Folder, .folder = folder_, .folderId = frame.id, .fd = opened.fd, .listed = listed};
    return item_;
}

const FolderWalk::Item& FolderWalk::Read()
{
    unread_ = false;
    Frame& frame = frames_[depth_ - 1];
    const FolderPath::Borrowed folder = path_.Deepest();
    const Listed read = folder.fd < 0 ? Listed::Nothing : fs_.ListFolder(folder.fd, frame.entries, betweenBatches_);
    if (read == Listed::Nothing) {
        const Refusal why = folder.fd < 0 ? folder.why : Refusal::Failed;
        Say(Step::Refused, frame, why);
        Leave();
        return item_;
    }
    // Every folder is reached once, by its own name in its parent, so its
    // paths are new unless the folder repeats a name.
    if (!namesRepeated_ && !frame.entries.NamesAreDistinct([this] { (void)betweenBatches_(); }))
        namesRepeated_ = true;
    if (read == Listed::Cut)
        return Say(Step::Cut, frame);
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
