// The figures of the list: expanding a large tree, the file selection page
// with 20,000 entries, and what a million paths cost in memory.
#include "bench/Figures.h"
#include "bench/RunProbes.h"
#include "engine/CShredder.h"
#include "pages/Choosers.h"
#include "pages/frmAddFiles.h"
#include "pages/frmProgress.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QLocale>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace sorvex;

namespace bench {

namespace {

constexpr int TopFolders = 100;
constexpr int SubFolders = 99; // in each top folder: 100 + 100 * 99 = 10,000 folders
constexpr int FilesInEach = 10; // in every folder: 100,000 files

void MakeTree(const std::string& root)
{
    mkdir(root.c_str(), 0755);
    auto fill = [](const std::string& folder) {
        mkdir(folder.c_str(), 0755);
        for (int f = 0; f < FilesInEach; ++f) {
            const std::string file = folder + "/document-" + std::to_string(f) + ".txt";
            const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (fd < 0)
                throw std::runtime_error("cannot create " + file);
            close(fd);
        }
    };
    for (int t = 0; t < TopFolders; ++t) {
        const std::string top = root + "/projects-" + std::to_string(t);
        fill(top);
        for (int s = 0; s < SubFolders; ++s)
            fill(top + "/chapter-" + std::to_string(s));
    }
}

// A walk with nothing kept: opendir, readdir, recurse into folders.
std::size_t BareWalk(const std::string& folder)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return 0;
    std::size_t files = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_type == DT_DIR) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                files += BareWalk(folder + "/" + entry->d_name);
        } else {
            ++files;
        }
    }
    closedir(dir);
    return files;
}

} // namespace

std::vector<Row> ExpansionFigures(const Places& places)
{
    const TempTree scratch(places.memory);
    const std::string root = scratch.path() + "/tree";
    Say("expansion: making 100,000 files in 10,000 folders in " + root);
    MakeTree(root);
    const std::size_t expected = std::size_t{TopFolders} * (SubFolders + 1) * FilesInEach;
    frmAddFile->lst->clear();
    frmAddFile->AddEntry(QFile::decodeName(QByteArray::fromStdString(root)) + u'/', FolderImage);
    auto engine = [&] {
        Shredder.Stop = false;
        const double s = Seconds([] { Shredder.BuildFileList(); });
        if (Shredder.Files.Count() != expected)
            throw std::runtime_error("BuildFileList found " + std::to_string(Shredder.Files.Count()) + " files");
        Shredder.Files.Clear();
        return s;
    };
    auto bare = [&] {
        std::size_t found = 0;
        const double s = Seconds([&] { found = BareWalk(root); });
        if (found != expected)
            throw std::runtime_error("the bare walk found " + std::to_string(found) + " files");
        return s;
    };
    auto find = [&] {
        const double s = RunCommand({"find", root, "-type", "f"});
        if (s < 0)
            throw std::runtime_error("find failed");
        return s;
    };
    engine(); // the tree's folders are in the cache from here on
    bare();
    const auto seconds = Interleave(Rounds(9, 3), {engine, bare, find});
    frmAddFile->lst->clear();
    const double ratio = MedianRatio(seconds[0], seconds[1]);
    const double findRatio = MedianRatio(seconds[0], seconds[2]);
    return {
        {"expansion 100,000 files / 10,000 folders (BuildFileList / bare readdir walk)",
         Format("%.2f x (%.1f ms / %.1f ms)", ratio, 1000 * Median(seconds[0]), 1000 * Median(seconds[1])), "<= 1.30 x",
         Verdict(ratio <= 1.3)},
        {"expansion, same tree (BuildFileList / find DIR -type f)",
         Format("%.2f x (%.1f ms / %.1f ms)", findRatio, 1000 * Median(seconds[0]), 1000 * Median(seconds[2])), "-",
         "-"},
    };
}

namespace {

struct ScriptedFiles : FileChooser {
    QStringList answer;
    QStringList ChooseFiles(QWidget*, const QString&, const QString&) override { return answer; }
};

// count distinct files below root in no particular order, in Latin and
// Cyrillic, mixed case, made empty: a file dialog returns files that exist.
QStringList SelectionOf(const std::string& root, int count)
{
    const QStringList words = {QStringLiteral("report"), QStringLiteral("Отчёт"),   QStringLiteral("IMG"),
                               QStringLiteral("photo"),  QStringLiteral("Scan"),    QStringLiteral("договор"),
                               QStringLiteral("notes"),  QStringLiteral("Invoice"), QStringLiteral("backup"),
                               QStringLiteral("Фото"),   QStringLiteral("draft"),   QStringLiteral("Report")};
    const QString top = QFile::decodeName(QByteArray::fromStdString(root));
    const QStringList folders = {top + QStringLiteral("/Documents/"), top + QStringLiteral("/Изображения/"),
                                 top + QStringLiteral("/Archive 2019/")};
    for (const QString& folder : folders)
        mkdir(QFile::encodeName(folder).constData(), 0755);
    QStringList paths;
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int i = 0; i < count; ++i) {
        QString path = folders[static_cast<qsizetype>(next() % folders.size())];
        path += words[static_cast<qsizetype>(next() % words.size())];
        path += next() % 2 ? u'_' : u' ';
        path += words[static_cast<qsizetype>(next() % words.size())];
        path += u'-' + QString::number(next() % 100000) + u'-' + QString::number(i) + QStringLiteral(".dat");
        const int fd = open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            throw std::runtime_error("cannot create " + path.toStdString());
        close(fd);
        paths << path;
    }
    return paths;
}

// Captions sort by the default locale's collation: the list is measured in
// the one the program finds and in Russian, the program's own language.
std::vector<Row> List(const QStringList& selection, int rounds, const QLocale& collation)
{
    const QLocale before;
    QLocale::setDefault(collation);
    const std::string in = " (" + collation.name().toStdString() + " collation)";
    ScriptedFiles chooser;
    chooser.answer = selection;
    FileChooser* const realChooser = frmAddFile->opn.Chooser;
    frmAddFile->opn.Chooser = &chooser;
    frmAddFile->lst->clear();
    frmProgr->hide();
    frmAddFile->show();
    Pump();
    std::vector<double> adding, clearing;
    for (int round = 0; round < rounds; ++round) {
        // The click and the pumps that lay the list out and paint it.
        adding.push_back(Seconds([] {
            frmAddFile->Button5Click();
            Pump();
        }));
        QListWidget* const lst = frmAddFile->lst;
        if (lst->count() != 20000)
            throw std::runtime_error("the list holds " + std::to_string(lst->count()) + " entries");
        for (int i = 1; i < lst->count(); ++i) {
            if (*lst->item(i) < *lst->item(i - 1))
                throw std::runtime_error("the list is out of order at " + std::to_string(i));
        }
        clearing.push_back(Seconds([] {
            frmAddFile->Button4Click();
            Pump();
        }));
        if (lst->count() != 0)
            throw std::runtime_error("the list was not cleared");
    }
    frmAddFile->opn.Chooser = realChooser;
    frmAddFile->hide();
    QLocale::setDefault(before);
    const double add = Median(adding);
    const double clear = Median(clearing);
    return {
        {"list: add 20,000 files in one selection (Button5Click)" + in, Format("%.3f s", add), "< 0.300 s",
         Verdict(add < 0.3)},
        {"list: clear 20,000 entries (Button4Click)" + in, Format("%.3f s", clear), "< 0.100 s", Verdict(clear < 0.1)},
    };
}

} // namespace

std::vector<Row> ListFigures(const Places& places)
{
    const TempTree scratch(places.memory);
    Say("list: 20,000 files in " + scratch.path());
    const QStringList selection = SelectionOf(scratch.path(), 20000);
    std::vector<Row> rows;
    for (const QLocale& collation : {QLocale(), QLocale(QLocale::Russian, QLocale::Russia)}) {
        for (Row& row : List(selection, Rounds(5, 3), collation))
            rows.push_back(row);
    }
    return rows;
}

namespace {

std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

} // namespace

std::vector<Row> MemoryFigures()
{
    Say("memory: 1,000,000 paths");
    Shredder.Files.Clear();
    const std::size_t before = HeapInUse();
    std::size_t pathBytes = 0;
    char folder[64];
    char name[64];
    for (int i = 0; i < 1000000; ++i) {
        const int folderLength = std::snprintf(folder, sizeof folder, "/home/someone/Documents/archive-%03d/", i % 997);
        const int nameLength = std::snprintf(name, sizeof name, "scan-of-page-%07d.tiff", i);
        Shredder.Files.Append(std::string_view(folder, static_cast<std::size_t>(folderLength)),
                              std::string_view(name, static_cast<std::size_t>(nameLength)));
        pathBytes += static_cast<std::size_t>(folderLength + nameLength);
    }
    const std::size_t growth = HeapInUse() - before;
    const std::size_t used = Shredder.Files.MemoryUsed();
    if (Shredder.Files.Count() != 1000000)
        throw std::runtime_error("Files lost paths");
    Shredder.Files.Clear();
    const double growthShare = static_cast<double>(growth) / static_cast<double>(pathBytes);
    const double usedShare = static_cast<double>(used) / static_cast<double>(pathBytes);
    return {
        {"memory: Files with 1,000,000 paths (heap growth / path bytes)",
         Format("%.2f x (%.1f MB / %.1f MB)", growthShare, static_cast<double>(growth) / 1e6,
                static_cast<double>(pathBytes) / 1e6),
         "<= 2.00 x", Verdict(growthShare <= 2.0)},
        {"memory: same, PathList::MemoryUsed() / path bytes",
         Format("%.2f x (%.1f MB)", usedShare, static_cast<double>(used) / 1e6), "-", "-"},
    };
}

} // namespace bench
