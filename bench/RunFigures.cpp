// The figures of a run: the wipe against the bare writes and shred, the
// pump while writing and while reading a huge folder, the answer to "Стоп",
// many small files through a real window, and what the extent checks cost.
#include "bench/Figures.h"
#include "bench/RunProbes.h"
#include "engine/CShredder.h"
#include "engine/Pattern.h"
#include "pages/ProgressBar.h"
#include "pages/frmProgress.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace sorvex;

namespace bench {

namespace {

constexpr std::int64_t WipeSize = std::int64_t{512} << 20;

// Shredder.Run on what the list holds, on the progress page as the method
// page starts it; the seconds of the run alone. gaps, when given, watches the
// message loop during the run.
double TimedRun(int method, PumpGaps* gaps = nullptr)
{
    ShowProgressPage();
    Shredder.Stop = false;
    const std::size_t boxes = Boxes().Count();
    if (gaps)
        gaps->Start();
    const double seconds = Seconds([method] { Shredder.Run(method); });
    if (gaps)
        gaps->Stop();
    if (Boxes().Count() != boxes && !DestroyedAllListed())
        throw std::runtime_error("the run showed a box: " + Boxes().Last().text.toStdString());
    return seconds;
}

// The blocks a Balanced run of a file of size bytes writes in all: each pass
// (size div 256) + 1 blocks of the size it finds, the first pass having
// grown the file to a whole number of blocks.
std::int64_t BalancedBlocks(std::int64_t size)
{
    const std::int64_t first = size / BlockSize + 1;
    return first + (first * BlockSize) / BlockSize + 1;
}

double EngineWipe(const std::string& path, PumpGaps* gaps = nullptr)
{
    MakeFile(path, WipeSize);
    ListOnPage(path, false);
    const double seconds = TimedRun(MethodBalanced, gaps);
    if (Exists(path) || frmProgr->prg1->Position() != BalancedBlocks(WipeSize) || frmProgr->prg2->Position() != 1)
        throw std::runtime_error("the run did not destroy " + path + " as expected");
    ResetProgressPage();
    return seconds;
}

// What a Balanced run cannot do without, on the file opened once: per pass,
// the bytes of (size div 256) + 1 blocks from the first byte in writes of a
// mebibyte, then one fdatasync.
void FloorWipe(const std::string& path)
{
    const BlockRun run = RunOf(ZeroCharBlock(), CShredder::RunBlocks);
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("floor: cannot open " + path);
    for (int pass = 0; pass < 2; ++pass) {
        struct stat st;
        if (fstat(fd, &st) != 0)
            throw std::runtime_error("floor: cannot read the size of " + path);
        const std::int64_t bytes = (st.st_size / BlockSize + 1) * BlockSize;
        for (std::int64_t at = 0; at < bytes;) {
            const auto count =
                static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(run.size()), bytes - at));
            if (pwrite(fd, run.data(), count, at) != static_cast<ssize_t>(count))
                throw std::runtime_error("floor: cannot write " + path);
            at += static_cast<std::int64_t>(count);
        }
        fdatasync(fd);
    }
    close(fd);
}

std::string Ms(double seconds)
{
    return Format(seconds < 0.01 ? "%.2f ms" : "%.1f ms", 1000 * seconds);
}

std::string Secs(double seconds)
{
    return Format("%.3f s", seconds);
}

std::string Ratio(double ratio, double a, double b)
{
    return Format("%.2f x (", ratio) + Secs(a) + " / " + Secs(b) + ")";
}

// The floor on a freshly made file; the seconds of removing the file
// afterwards, which the floor leaves out, go to unlinks.
double FloorOnFreshFile(const std::string& path, std::vector<double>& unlinks)
{
    MakeFile(path, WipeSize);
    const double seconds = Seconds([&] { FloorWipe(path); });
    unlinks.push_back(Seconds([&] { unlink(path.c_str()); }));
    return seconds;
}

std::string WithUnlink(double ratio, const std::vector<std::vector<double>>& seconds,
                       const std::vector<double>& unlinks)
{
    return Ratio(ratio, Median(seconds[0]), Median(seconds[1])) + "; unlink of the file alone " + Secs(Median(unlinks));
}

} // namespace

std::vector<Row> WipeFigures(const Places& places)
{
    std::vector<Row> rows;
    const bool haveShred = HaveCommand("shred");
    {
        const TempTree disk(places.disk);
        const std::string path = disk.path() + "/wipe.bin";
        const std::string where = FileSystemOf(disk.path()) + " (build folder)";
        Say("wipe: 512 MiB in " + disk.path() + (haveShred ? ", with shred" : ", no shred here"));
        std::vector<double> unlinks;
        std::vector<std::function<double()>> measures = {
            [&] { return EngineWipe(path); },
            [&] { return FloorOnFreshFile(path, unlinks); },
        };
        if (haveShred) {
            measures.push_back([&] {
                MakeFile(path, WipeSize);
                const double s = RunCommand({"shred", "-n", "2", "--random-source=/dev/zero", path});
                if (s < 0)
                    throw std::runtime_error("shred failed on " + path);
                unlink(path.c_str());
                return s;
            });
        }
        const auto seconds = Interleave(Rounds(5, 3), measures);
        const double ratio = MedianRatio(seconds[0], seconds[1]);
        rows.push_back({"wipe: Сбалансированный, 512 MiB, " + where + ": Run / 1 MiB pwrite floor",
                        WithUnlink(ratio, seconds, unlinks), "<= 1.30 x", Verdict(ratio <= 1.3)});
        if (haveShred) {
            const double shredRatio = MedianRatio(seconds[0], seconds[2]);
            rows.push_back({"wipe: same run / shred -n 2 --random-source=/dev/zero",
                            Ratio(shredRatio, Median(seconds[0]), Median(seconds[2])), "<= 0.60 x",
                            Verdict(shredRatio <= 0.6)});
        }
    }
    {
        const TempTree memory(places.memory);
        const std::string path = memory.path() + "/wipe.bin";
        Say("wipe: 512 MiB in " + memory.path());
        std::vector<double> unlinks;
        const auto seconds = Interleave(Rounds(7, 3), {
                                                          [&] { return EngineWipe(path); },
                                                          [&] { return FloorOnFreshFile(path, unlinks); },
                                                      });
        const double ratio = MedianRatio(seconds[0], seconds[1]);
        rows.push_back(
            {"wipe: Сбалансированный, 512 MiB, " + FileSystemOf(memory.path()) + ": Run / 1 MiB pwrite floor",
             WithUnlink(ratio, seconds, unlinks), "<= 1.30 x", Verdict(ratio <= 1.3)});
    }
    return rows;
}

namespace {

// One folder of count empty files, made with one call each.
void MakeEmptyFiles(const std::string& folder, int count)
{
    if (mkdir(folder.c_str(), 0755) != 0)
        throw std::runtime_error("cannot make " + folder);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    char name[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "scan-%07d.pdf", i);
        if (mknodat(fd, name, S_IFREG | 0644, 0) != 0)
            throw std::runtime_error("cannot make the files of " + folder);
    }
    close(fd);
}

void RemoveEmptyFiles(const std::string& folder, int count)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    char name[32];
    for (int i = 0; fd >= 0 && i < count; ++i) {
        std::snprintf(name, sizeof name, "scan-%07d.pdf", i);
        unlinkat(fd, name, 0);
    }
    if (fd >= 0)
        close(fd);
    rmdir(folder.c_str());
}

// The median and worst of the runs' longest gaps, and the median of their
// longest gaps but the last one, up to the return.
std::string Longest(const std::vector<double>& longest, const std::vector<double>& between)
{
    return Ms(Median(longest)) + ", median of " + std::to_string(longest.size()) + " runs (worst " +
           Ms(Largest(longest)) + "); before the last gap " + Ms(Median(between));
}

void SayGaps(const PumpGaps& gaps, const std::string& what)
{
    Say("pumps: longest gap " + Ms(gaps.Longest()) + Format(", ending %.3f s into ", gaps.LongestEndedAt()) + what +
        Format(" of %.3f s (%.0f full rounds)", gaps.StoppedAt(), gaps.Rounds()));
}

} // namespace

std::vector<Row> PumpFigures(const Places& places)
{
    std::vector<Row> rows;
    PumpGaps gaps;
    {
        const TempTree disk(places.disk);
        const std::string path = disk.path() + "/wipe.bin";
        Say("pumps: 512 MiB in " + disk.path());
        std::vector<double> longest, between;
        for (int round = 0; round < Rounds(3, 2); ++round) {
            EngineWipe(path, &gaps);
            longest.push_back(gaps.Longest());
            between.push_back(gaps.LongestBetweenRounds());
            SayGaps(gaps, "the run");
        }
        rows.push_back({"pumps: longest time without a full pump, Сбалансированный 512 MiB, " +
                            FileSystemOf(disk.path()) + " (flush included)",
                        Longest(longest, between), "< 100 ms (median)", Verdict(Median(longest) < 0.1)});
    }
    {
        const TempTree memory(places.memory);
        const std::string folder = memory.path() + "/scans";
        constexpr int Count = 1000000;
        Say("pumps: making 1,000,000 empty files in " + folder);
        MakeEmptyFiles(folder, Count);
        std::vector<double> longest, between, expanding;
        for (int round = 0; round < Rounds(3, 2); ++round) {
            ListOnPage(folder, true);
            ShowProgressPage();
            Shredder.Stop = false;
            gaps.Start();
            expanding.push_back(Seconds([] { Shredder.BuildFileList(); }));
            longest.push_back(gaps.Stop());
            between.push_back(gaps.LongestBetweenRounds());
            SayGaps(gaps, "the expansion");
            if (Shredder.Files.Count() != Count)
                throw std::runtime_error("BuildFileList found " + std::to_string(Shredder.Files.Count()) + " files");
            Shredder.Files.Clear();
            ResetProgressPage();
        }
        RemoveEmptyFiles(folder, Count);
        rows.push_back({"pumps: longest time without a full pump, expanding one folder of 1,000,000 files (" +
                            Secs(Median(expanding)) + ")",
                        Longest(longest, between), "< 100 ms (median)", Verdict(Median(longest) < 0.1)});
    }
    return rows;
}

namespace {

// Milliseconds from a click on "Стоп", delay after pass pass of a Balanced
// run of a 512 MiB file began, to the run's answer: its return, or, stopped
// in the first pass, the report box that tells the file was only partly
// overwritten (the box closed at once).
double StopLatency(const std::string& path, int pass, int delay)
{
    MakeFile(path, WipeSize);
    ListOnPage(path, false);
    ShowProgressPage();
    const std::int64_t passBlocks = WipeSize / BlockSize + 1;
    Clock::time_point clicked{};
    bool armed = false;
    QTimer watch; // at every full round, until the pass has begun
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (armed || frmProgr->prg1->Position() < pass * passBlocks)
            return;
        armed = true;
        watch.stop();
        QTimer::singleShot(delay, Qt::PreciseTimer, [&clicked] {
            clicked = Clock::now();
            frmProgr->Button4->click();
        });
    });
    const std::size_t boxes = Boxes().Count();
    Shredder.Stop = false;
    watch.start();
    Shredder.Run(MethodBalanced);
    const Clock::time_point returned = Clock::now();
    watch.stop();
    if (clicked == Clock::time_point{})
        throw std::runtime_error("the run ended before the click on Стоп");
    if (Exists(path))
        throw std::runtime_error("the stopped run left " + path);
    const std::size_t expected = pass == 0 || !Shredder.Report().Empty() ? 1 : 0; // the medium may be told of
    if (Boxes().Count() != boxes + expected)
        throw std::runtime_error("a run stopped in pass " + std::to_string(pass + 1) + " showed " +
                                 std::to_string(Boxes().Count() - boxes) + " boxes");
    ResetProgressPage();
    return SecondsBetween(clicked, pass == 0 ? Boxes().Last().at : returned);
}

} // namespace

std::vector<Row> StopFigures(const Places& places)
{
    const TempTree disk(places.disk);
    const std::string path = disk.path() + "/wipe.bin";
    const std::string where = FileSystemOf(disk.path());
    Say("stop: 512 MiB in " + disk.path());
    std::vector<double> second, first;
    for (int round = 0; round < Rounds(7, 3); ++round) {
        const int delay = 10 + (round * 37) % 150; // the clicks land at all points of the writing
        second.push_back(StopLatency(path, 1, delay));
        first.push_back(StopLatency(path, 0, delay));
    }
    const auto measured = [](const std::vector<double>& latencies) {
        return Ms(Median(latencies)) + " median of " + std::to_string(latencies.size()) + " (max " +
               Ms(Largest(latencies)) + ")";
    };
    return {
        {"stop: click on Стоп in the second pass of a 512 MiB run, " + where + ", to Run returned", measured(second),
         "< 20 ms (median)", Verdict(Median(second) < 0.02)},
        {"stop: same, clicked in the first pass, to the report box on screen", measured(first), "-", "-"},
    };
}

namespace {

constexpr int SmallFileBytes = 100;

// The paths of folders x filesInEach small files, made afresh in root.
std::vector<std::string> SmallTree(const std::string& root, int files)
{
    const int inEach = std::min(files, 1000);
    return MakeSmallFiles(root, files / inEach, inEach, SmallFileBytes);
}

// method on a fresh tree of files small files below root, listed as a
// folder; the seconds of the run. services, when given, stand in for the
// system's during the run.
double EngineOnSmallFiles(const std::string& root, int files, int method, FileServices* services = nullptr)
{
    SmallTree(root, files);
    SyncFileSystem(root);
    ListOnPage(root, true);
    if (services)
        Shredder.UseServices(*services);
    double seconds = 0;
    try {
        seconds = TimedRun(method);
    } catch (...) {
        Shredder.UseServices(SystemServices());
        throw;
    }
    Shredder.UseServices(SystemServices());
    const std::size_t left = CountFilesBelow(root);
    if (left != 0)
        throw std::runtime_error("the run left " + std::to_string(left) + " files below " + root);
    ResetProgressPage();
    RemoveTree(root);
    return seconds;
}

std::string Count(std::size_t n)
{
    // Built forward: GCC 12 at -O3 takes an insert into the string for an
    // overlapping copy (-Wrestrict).
    const std::string digits = std::to_string(n);
    std::string grouped;
    for (std::size_t at = 0; at < digits.size(); ++at) {
        if (at > 0 && (digits.size() - at) % 3 == 0)
            grouped += ',';
        grouped += digits[at];
    }
    return grouped;
}

} // namespace

namespace {

// method on files small files in a fresh tree below root, through the real
// window, against shred -n passes --random-source=/dev/zero -u on the same
// files; the run's ratio is held to at most target.
Row AgainstShred(const std::string& root, const std::string& where, int method, const std::string& name, int passes,
                 double target)
{
    constexpr int Files = 2000;
    const std::string shred = "shred -n " + std::to_string(passes) + " --random-source=/dev/zero -u";
    Say("window: " + name + " on 2,000 files in " + root);
    const auto seconds =
        Interleave(Rounds(5, 3), {
                                     [&] { return EngineOnSmallFiles(root, Files, method); },
                                     [&] {
                                         std::vector<std::string> argv = {"shred", "-n", std::to_string(passes),
                                                                          "--random-source=/dev/zero", "-u"};
                                         for (std::string& file : SmallTree(root, Files))
                                             argv.push_back(std::move(file));
                                         const double s = RunCommand(argv);
                                         if (s < 0 || CountFilesBelow(root) != 0)
                                             throw std::runtime_error("shred -u failed");
                                         RemoveTree(root);
                                         return s;
                                     },
                                 });
    const double ratio = MedianRatio(seconds[0], seconds[1]);
    char limit[32];
    std::snprintf(limit, sizeof limit, "<= %.2f x", target);
    return {"window: " + name + ", 2,000 files of 100 bytes, " + where + ": Run / " + shred,
            Ratio(ratio, Median(seconds[0]), Median(seconds[1])), limit, Verdict(ratio <= target)};
}

} // namespace

std::vector<Row> WindowFigures(const Places& places)
{
    const TempTree memory(places.memory);
    const std::string root = memory.path() + "/letters";
    const std::string where =
        "real window (" + QGuiApplication::platformName().toStdString() + "), " + FileSystemOf(memory.path());
    if (!HaveCommand("shred"))
        return {};
    return {
        AgainstShred(root, where, MethodFast, "Быстрый", 1, 0.7),
        AgainstShred(root, where, MethodBalanced, "Сбалансированный", 2, 1.5),
    };
}

namespace {

Row ChecksPair(const std::string& parent, const std::string& where, int rounds)
{
    constexpr int Files = 20000;
    const TempTree scratch(parent);
    const std::string root = scratch.path() + "/letters";
    Say("checks: Сбалансированный on 20,000 files in " + root);
    WatchedServices checked(false);
    WatchedServices trusted(true);
    const auto seconds =
        Interleave(rounds, {
                               [&] { return EngineOnSmallFiles(root, Files, MethodBalanced, &checked); },
                               [&] { return EngineOnSmallFiles(root, Files, MethodBalanced, &trusted); },
                           });
    if (trusted.mapsRead != 0)
        throw std::runtime_error("the run read extent maps where the file system was said to overwrite in place");
    const double ratio = MedianRatio(seconds[0], seconds[1]);
    return {"checks: Сбалансированный, 20,000 files of 100 bytes, " + where + ": with extent checks / without",
            Ratio(ratio, Median(seconds[0]), Median(seconds[1])) + "; " +
                Count(checked.mapsRead / static_cast<std::size_t>(rounds)) + " maps read a run, in " +
                Secs(checked.mapSeconds / rounds),
            "<= 1.10 x", Verdict(ratio <= 1.1)};
}

} // namespace

std::vector<Row> CheckFigures(const Places& places)
{
    return {
        ChecksPair(places.memory, FileSystemOf(places.memory), Rounds(5, 3)),
        ChecksPair(places.disk, FileSystemOf(places.disk) + " (build folder)", Rounds(5, 2)),
    };
}

} // namespace bench
