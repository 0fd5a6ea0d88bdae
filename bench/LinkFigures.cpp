// What hard links cost a run: a tree whose every file is also linked from
// other listed folders, as backups made with cp -al or rsnapshot are, against
// the same files with no other names.
#include "bench/Figures.h"
#include "bench/RunProbes.h"
#include "engine/CShredder.h"
#include "pages/frmAddFiles.h"

#include <QFile>

#include <stdexcept>

#include <unistd.h>

using namespace sorvex;

namespace bench {

namespace {

constexpr int Files = 40000;
constexpr int Copies = 3; // other folders linking every file

// The first tree, made afresh, and copies other folders of links to its files.
std::vector<std::string> LinkedTrees(const std::string& root, int copies)
{
    std::vector<std::string> trees = {root + "/tree-0"};
    const std::vector<std::string> files = MakeSmallFiles(trees[0], Files / 1000, 1000, 100);
    for (int c = 1; c <= copies; ++c) {
        trees.push_back(root + "/tree-" + std::to_string(c));
        if (RunCommand({"cp", "-al", trees[0], trees.back()}) < 0)
            throw std::runtime_error("cp -al failed");
    }
    return trees;
}

// method on every tree listed as a folder; the seconds of the run alone.
double RunOnTrees(const std::string& root, int copies, int method)
{
    const std::vector<std::string> trees = LinkedTrees(root, copies);
    SyncFileSystem(root);
    frmAddFile->lst->clear();
    for (const std::string& tree : trees)
        frmAddFile->AddEntry(QFile::decodeName(QByteArray::fromStdString(tree)) + u'/', FolderImage);
    ShowProgressPage();
    Shredder.Stop = false;
    const double seconds = Seconds([method] { Shredder.Run(method); });
    if (!DestroyedAllListed())
        throw std::runtime_error("the run reported " + Shredder.Report().items[0].path);
    if (CountFilesBelow(root) != 0)
        throw std::runtime_error("the run left files below " + root);
    ResetProgressPage();
    for (const std::string& tree : trees)
        RemoveTree(tree);
    return seconds;
}

Row LinksRow(const std::string& parent, int method, const std::string& name)
{
    const TempTree scratch(parent);
    Say("links: " + name + " on 40,000 files, each with 3 other names, in " + scratch.path());
    const auto seconds = Interleave(Rounds(3, 2), {
                                                      [&] { return RunOnTrees(scratch.path(), Copies, method); },
                                                      [&] { return RunOnTrees(scratch.path(), 0, method); },
                                                  });
    const double ratio = MedianRatio(seconds[0], seconds[1]);
    return {"links: " + name + ", 40,000 files of 100 bytes each linked from 3 other listed folders, " +
                FileSystemOf(parent) + ": Run / the same files with no links",
            Format("%.2f x (", ratio) + Format("%.3f s / ", Median(seconds[0])) + Format("%.3f s)", Median(seconds[1])),
            "<= 1.30 x", Verdict(ratio <= 1.3)};
}

} // namespace

std::vector<Row> LinkFigures(const Places& places)
{
    return {LinksRow(places.memory, MethodFast, "Быстрый"), LinksRow(places.memory, MethodBalanced, "Сбалансированный"),
            LinksRow(places.disk, MethodBalanced, "Сбалансированный")};
}

} // namespace bench
