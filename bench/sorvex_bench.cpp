// Measures what a run costs against what the system itself needs for the same
// work, side by side in one process: the pairs are interleaved and repeated and
// their medians compared, since the machine may be shared and noisy.
//
//   sorvex_bench [--quick] [--only wipe|expansion|list|memory]...
#include "bench/BenchSupport.h"
#include "engine/CShredder.h"
#include "engine/Pattern.h"
#include "pages/Look.h"
#include "pages/Page.h"
#include "pages/ProgressBar.h"
#include "pages/Wizard.h"
#include "pages/frmAddFiles.h"
#include "pages/frmProgress.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFile>
#include <QLocale>

#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace sorvex;

using namespace bench;

namespace {

bool quick = false; // fewer rounds

std::string Format(const char* format, double a, double b = 0, double c = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

std::string Verdict(double measured, double limit)
{
    return measured <= limit ? "PASS" : "FAIL";
}

void Pump()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Runs every measure of a pair once per round, the order alternating between
// rounds; returns the seconds of each measure, round by round.
std::vector<std::vector<double>> Interleave(int rounds, const std::vector<std::function<double()>>& measures)
{
    std::vector<std::vector<double>> seconds(measures.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < measures.size(); ++k) {
            const std::size_t which = (k + static_cast<std::size_t>(round)) % measures.size();
            seconds[which].push_back(measures[which]());
        }
    }
    return seconds;
}

double MedianRatio(const std::vector<double>& a, const std::vector<double>& b)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        ratios.push_back(a[i] / b[i]);
    return Median(ratios);
}

// ---- 1. Wipe -------------------------------------------------------------

// What a Balanced run cannot do without: per pass, the file opened, its size
// read, (size div 256) + 1 writes of 256 bytes, one fdatasync.
void FloorWipe(const std::string& path)
{
    const Block block = ZeroCharBlock();
    for (int pass = 0; pass < 2; ++pass) {
        const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        struct stat st;
        if (fd < 0 || fstat(fd, &st) != 0)
            throw std::runtime_error("floor: cannot open " + path);
        const std::int64_t blocks = st.st_size / BlockSize + 1;
        for (std::int64_t i = 0; i < blocks; ++i) {
            if (write(fd, block.data(), BlockSize) != BlockSize)
                throw std::runtime_error("floor: cannot write " + path);
        }
        fdatasync(fd);
        close(fd);
    }
}

// The real run on the real progress page, as the method page starts it;
// the seconds of the run alone.
double EngineWipe(const std::string& path, std::int64_t size)
{
    frmAddFile->lst->clear();
    frmAddFile->AddEntry(QFile::decodeName(QByteArray::fromStdString(path)), FileImage);
    MovePage(frmAddFile, frmProgr);
    Pump();
    Shredder.Stop = false;
    const double seconds = Seconds([] { Shredder.Run(MethodBalanced); });
    const std::int64_t blocks = (size / BlockSize + 1) + ((size + BlockSize) / BlockSize + 1);
    if (Exists(path) || frmProgr->prg1->Position() != blocks || frmProgr->prg2->Position() != 1)
        throw std::runtime_error("the run did not destroy " + path + " as expected");
    frmProgr->Button2Click(); // back to an empty list, the page ready again
    Pump();
    return seconds;
}

Row WipePair(const std::string& folder, const std::string& where, int rounds)
{
    const std::int64_t size = std::int64_t{64} << 20;
    const std::string path = folder + "/wipe.bin";
    const auto engine = [&] {
        MakeFile(path, size);
        return EngineWipe(path, size);
    };
    const auto bare = [&] {
        MakeFile(path, size);
        const double s = Seconds([&] { FloorWipe(path); });
        unlink(path.c_str());
        return s;
    };
    const auto seconds = Interleave(rounds, {engine, bare});
    const double ratio = MedianRatio(seconds[0], seconds[1]);
    return {"wipe Balanced 64 MiB, " + where + " (engine / write floor)",
            Format("%.2f x (%.3f s / %.3f s)", ratio, Median(seconds[0]), Median(seconds[1])), "<= 1.70 x",
            Verdict(ratio, 1.7)};
}

// ---- 2. Expansion --------------------------------------------------------

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

std::vector<Row> Expansion(const std::string& scratch, int rounds)
{
    const std::string root = scratch + "/tree";
    std::printf("making %d files in %d folders ...\n", TopFolders * (SubFolders + 1) * FilesInEach,
                TopFolders * (SubFolders + 1));
    std::fflush(stdout);
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
    const auto seconds = Interleave(rounds, {engine, bare, find});
    frmAddFile->lst->clear();
    const double ratio = MedianRatio(seconds[0], seconds[1]);
    const double findRatio = MedianRatio(seconds[0], seconds[2]);
    return {
        {"expansion 100,000 files / 10,000 folders (BuildFileList / bare readdir walk)",
         Format("%.2f x (%.1f ms / %.1f ms)", ratio, 1000 * Median(seconds[0]), 1000 * Median(seconds[1])), "<= 1.30 x",
         Verdict(ratio, 1.3)},
        {"expansion, same tree (BuildFileList / find DIR -type f)",
         Format("%.2f x (%.1f ms / %.1f ms)", findRatio, 1000 * Median(seconds[0]), 1000 * Median(seconds[2])), "-",
         "-"},
    };
}

// ---- 3. The list ---------------------------------------------------------

struct ScriptedFiles : FileChooser {
    QStringList answer;
    QStringList ChooseFiles(QWidget*, const QString&, const QString&) override { return answer; }
};

// 20,000 distinct paths in no particular order, in Latin and Cyrillic, mixed case.
QStringList SelectionOf(int count)
{
    const QStringList words = {QStringLiteral("report"), QStringLiteral("Отчёт"),   QStringLiteral("IMG"),
                               QStringLiteral("photo"),  QStringLiteral("Scan"),    QStringLiteral("договор"),
                               QStringLiteral("notes"),  QStringLiteral("Invoice"), QStringLiteral("backup"),
                               QStringLiteral("Фото"),   QStringLiteral("draft"),   QStringLiteral("Report")};
    const QStringList folders = {QStringLiteral("/home/user/Documents/"), QStringLiteral("/home/user/Изображения/"),
                                 QStringLiteral("/media/usb/Archive 2019/")};
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
        paths << path;
    }
    return paths;
}

// Captions sort by the default locale's collation: the list is measured in
// the one the program finds and in Russian, the program's own language.
std::vector<Row> List(int rounds, const QLocale& collation)
{
    const QLocale before;
    QLocale::setDefault(collation);
    const std::string in = " (" + collation.name().toStdString() + " collation)";
    ScriptedFiles chooser;
    chooser.answer = SelectionOf(20000);
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
         Verdict(add, 0.3)},
        {"list: clear 20,000 entries (Button4Click)" + in, Format("%.3f s", clear), "< 0.100 s", Verdict(clear, 0.1)},
    };
}

// ---- 4. Memory -----------------------------------------------------------

std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

std::vector<Row> Memory()
{
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
         Format("%.2f x (%.1f MB / %.1f MB)", growthShare, growth / 1e6, pathBytes / 1e6), "<= 2.00 x",
         Verdict(growthShare, 2.0)},
        {"memory: same, PathList::MemoryUsed() / path bytes", Format("%.2f x (%.1f MB)", usedShare, used / 1e6), "-",
         "-"},
    };
}

} // namespace

int main(int argc, char** argv)
{
    std::set<std::string> only;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            quick = true;
        } else if (arg == "--only" && i + 1 < argc) {
            only.insert(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--quick] [--only wipe|expansion|list|memory]...\n", argv[0]);
            return 2;
        }
    }
    auto wanted = [&only](const char* part) { return only.empty() || only.count(part) > 0; };
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    PrepareApplication();
    CreatePages();
    frmAddFile->show();
    Pump();

    const std::string memoryFolder = "/dev/shm";
    const std::string diskParent = SORVEX_BENCH_BUILD_DIR;
    std::vector<Row> rows;
    try {
        const ScratchFolder inMemory(memoryFolder);
        if (wanted("wipe")) {
            std::printf("wipe on %s ...\n", memoryFolder.c_str());
            std::fflush(stdout);
            rows.push_back(WipePair(inMemory.path(), FileSystemOf(memoryFolder), !quick ? 7 : 3));
            const ScratchFolder onDisk(diskParent);
            std::printf("wipe in %s ...\n", onDisk.path().c_str());
            std::fflush(stdout);
            rows.push_back(WipePair(onDisk.path(), FileSystemOf(onDisk.path()) + " (build folder)", !quick ? 5 : 3));
        }
        if (wanted("expansion")) {
            for (Row& row : Expansion(inMemory.path(), !quick ? 9 : 3))
                rows.push_back(row);
        }
        if (wanted("list")) {
            std::printf("the list ...\n");
            std::fflush(stdout);
            for (const QLocale& collation : {QLocale(), QLocale(QLocale::Russian, QLocale::Russia)}) {
                for (Row& row : List(!quick ? 5 : 3, collation))
                    rows.push_back(row);
            }
        }
        if (wanted("memory")) {
            for (Row& row : Memory())
                rows.push_back(row);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sorvex_bench: %s\n", error.what());
        DestroyPages();
        return 1;
    }
    DestroyPages();

    std::printf("\nmachine: %s, %d cores, %s, Qt %s (%s platform, %s event dispatcher, locale %s)\n",
                CpuModel().c_str(), Cores(), Kernel().c_str(), qVersion(), qgetenv("QT_QPA_PLATFORM").constData(),
                QAbstractEventDispatcher::instance()->metaObject()->className(),
                QLocale::system().name().toUtf8().constData());
    std::printf("file systems: %s on %s, %s on %s\n\n", memoryFolder.c_str(), FileSystemOf(memoryFolder).c_str(),
                diskParent.c_str(), FileSystemOf(diskParent).c_str());
    PrintTable(rows);
    bool passed = true;
    for (const Row& row : rows)
        passed = passed && row.result != "FAIL";
    return passed ? 0 : 1;
}
