#include "engine/CShredder.h"

#include "engine/RunView.h"
#include "platform/FileServices.h"

#include <functional>
#include <set>
#include <string_view>
#include <vector>

using namespace sorvex;

CShredder Shredder;

CShredder::CShredder() : fs_(&SystemServices()) {}

void CShredder::Run(int method)
{
    running_ = true;
    struct Ended {
        bool& running;
        ~Ended() { running = false; }
    } ended{running_};
    view_->ShowPreparing();
    BuildFileList();
    if (Stop) { // stopped or left while the folders were being read
        Stop = false;
        return;
    }
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
        break;
    }
    // A stop pressed in the method's last pump, after its last look at the flag.
    Stop = false;
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
    ExpandedEntries expanded;
    for (int i = 0; i < entries_->EntryCount(); ++i) {
        if (Stop)
            return;
        std::string path = entries_->EntryPath(i);
        const bool isFolder = entries_->KindOfEntry(i) == EntryKind::Folder;
        if (isFolder && (path.empty() || path.back() != '/'))
            path += '/';
        const bool lookUp = expanded.MayHaveAdded(path);
        if (!isFolder) {
            if (lookUp)
                Files.Append(path);
            else
                Files.AppendNew(path, {});
        } else {
            ScanFolder(path, Files, lookUp);
        }
        expanded.Add(path, isFolder);
    }
}

namespace {

// One folder whose scan is under way: its path and the entries not yet visited.
struct ScanFrame {
    std::string folder;
    sorvex::FolderListing entries;
};

} // namespace

// Depth first, with the paths below a subfolder at the place where it was met.
// An explicit stack instead of recursion: any depth, and one folder open at a time.
// Messages are pumped once for every folder whose scan ends or cannot start,
// never for a folder left because of a stop.
void CShredder::ScanFolder(const std::string& folder, PathList& target, bool lookUp)
{
    std::vector<ScanFrame> frames(1);
    frames[0].folder = folder;
    // The listed folder itself may be reached through a link; nothing below it is.
    if (!fs_->ListFolder(folder, true, frames[0].entries)) {
        view_->Pump();
        return;
    }
    // Every folder is reached once, by its own name in its parent, so its
    // paths are new unless the folder repeats a name: from there on, look up.
    lookUp = lookUp || !frames[0].entries.NamesAreDistinct();
    std::size_t depth = 1;
    while (depth > 0) {
        ScanFrame& frame = frames[depth - 1];
        std::string_view name;
        bool isFolder = false;
        if (!frame.entries.Next(name, isFolder)) {
            --depth;
            view_->Pump();
            continue;
        }
        if (Stop) {
            --depth;
            continue;
        }
        if (!isFolder) {
            if (lookUp)
                target.Append(frame.folder, name);
            else
                target.AppendNew(frame.folder, name);
            continue;
        }
        std::string child = frame.folder;
        child.append(name).push_back('/');
        if (frames.size() == depth)
            frames.emplace_back();
        ScanFrame& next = frames[depth];
        next.folder = std::move(child);
        if (!fs_->ListFolder(next.folder, false, next.entries)) {
            view_->Pump();
            continue;
        }
        lookUp = lookUp || !next.entries.NamesAreDistinct();
        ++depth;
    }
}
