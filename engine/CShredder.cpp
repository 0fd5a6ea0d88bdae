#include "engine/CShredder.h"

#include "app/Pump.h"
#include "pages/frmAddFiles.h"
#include "pages/frmProgress.h"

#include <QFile>

#include <vector>

CShredder Shredder;

void CShredder::Run(int method)
{
    running_ = true;
    struct Ended {
        bool& running;
        ~Ended() { running = false; }
    } ended{running_};
    frmProgr->lblFile->setText(QStringLiteral("Идёт подготовка к удалению."));
    BuildFileList();
    if (Stop) { // stopped or left while the folders were being read
        Stop = false;
        return;
    }
    switch (method) {
    case MethodFast: WipeFast(); break;
    case MethodBalanced: WipeBalanced(); break;
    case MethodThorough: WipeThorough(); break;
    case MethodDoD: WipeDoD(); break;
    default: break;
    }
    // A stop pressed in the method's last pump, after its last look at the flag.
    Stop = false;
}

void CShredder::BuildFileList()
{
    Files.Clear();
    for (int i = 0; i < frmAddFile->lst->count(); ++i) {
        if (Stop)
            return;
        const QListWidgetItem* item = frmAddFile->lst->item(i);
        std::string path = QFile::encodeName(item->text()).toStdString();
        if (ImageIndexOf(item) != FolderImage) {
            Files.Append(path);
            continue;
        }
        if (path.empty() || path.back() != '/')
            path += '/';
        ScanFolder(path, Files);
    }
}

namespace {

// One folder whose scan is under way: its path and the entries not yet visited.
struct ScanFrame {
    std::string folder;
    platform::FolderListing entries;
};

} // namespace

// Depth first, with the paths below a subfolder at the place where it was met.
// An explicit stack instead of recursion: any depth, and one folder open at a time.
// Messages are pumped once for every folder whose scan ends or cannot start,
// never for a folder left because of a stop.
void CShredder::ScanFolder(const std::string& folder, PathList& target)
{
    std::vector<ScanFrame> frames(1);
    frames[0].folder = folder;
    // The listed folder itself may be reached through a link; nothing below it is.
    if (!fs_->listFolder(folder, true, frames[0].entries)) {
        ProcessMessages();
        return;
    }
    std::size_t depth = 1;
    while (depth > 0) {
        ScanFrame& frame = frames[depth - 1];
        std::string_view name;
        bool isFolder = false;
        if (!frame.entries.next(name, isFolder)) {
            --depth;
            ProcessMessages();
            continue;
        }
        if (Stop) {
            --depth;
            continue;
        }
        if (!isFolder) {
            target.Append(frame.folder, name);
            continue;
        }
        std::string child = frame.folder;
        child.append(name).push_back('/');
        if (frames.size() == depth)
            frames.emplace_back();
        ScanFrame& next = frames[depth];
        next.folder = std::move(child);
        if (!fs_->listFolder(next.folder, false, next.entries)) {
            ProcessMessages();
            continue;
        }
        ++depth;
    }
}

void CShredder::ShowFile(const std::string& path)
{
    frmProgr->lblFile->setText(QFile::decodeName(QByteArray::fromRawData(path.data(), static_cast<qsizetype>(path.size()))));
}
