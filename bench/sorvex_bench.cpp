// Measures what a run costs against what the system itself needs for the same
// work, side by side in one process: the pairs are interleaved and repeated and
// their medians compared, since the machine may be shared and noisy. Prints
// the table and exits with 1 when a figure misses its target.
//
//   sorvex_bench [--quick] [--only PART]...
//
// PART: wipe, pumps, stop, window, checks, expansion, list, links, memory, depth, freespace.
// The window figures need a real window system: unless the bench itself runs
// on one (QT_QPA_PLATFORM=xcb), it runs itself again for them alone, on an
// Xvfb of its own through scripts/on-xvfb, and that bench prints their table.
#include "bench/BenchSupport.h"
#include "bench/Figures.h"
#include "bench/RunProbes.h"
#include "pages/Look.h"
#include "pages/Wizard.h"
#include "pages/frmAddFiles.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QLocale>

#include <cstdio>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <climits>
#include <unistd.h>

using namespace sorvex;
using namespace bench;

namespace bench {

bool quick = false;

void Say(const std::string& what)
{
    std::fprintf(stderr, "%s ...\n", what.c_str());
}

} // namespace bench

namespace {

const std::set<std::string> Parts = {"wipe", "pumps", "stop",   "window", "checks",   "expansion",
                                     "list", "links", "memory", "depth",  "freespace"};

std::string DispatcherName()
{
    return QAbstractEventDispatcher::instance()->metaObject()->className();
}

std::string OwnPath()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

// The window figures by this bench again, on the xcb platform on an Xvfb of
// its own; its table comes before ours. Rows of ours only when it failed.
std::vector<Row> WindowFiguresOnXvfb()
{
    Say("window: the bench again, on an Xvfb of its own");
    std::vector<std::string> argv = {"bash",    SORVEX_ON_XVFB, "env",   "QT_QPA_PLATFORM=xcb",
                                     OwnPath(), "--only",       "window"};
    if (quick)
        argv.push_back("--quick");
    if (RunShown(argv))
        return {};
    return {{"window: the real-window figures, on Xvfb", "that bench failed (its output above)", "-", "FAIL"}};
}

} // namespace

int main(int argc, char** argv)
{
    std::set<std::string> only;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            quick = true;
        } else if (arg == "--only" && i + 1 < argc && Parts.count(argv[i + 1]) > 0) {
            only.insert(argv[++i]);
        } else {
            std::fprintf(stderr,
                         "usage: %s [--quick] [--only "
                         "wipe|pumps|stop|window|checks|expansion|list|links|memory|depth|freespace]...\n",
                         argv[0]);
            return 2;
        }
    }
    auto wanted = [&only](const char* part) { return only.empty() || only.count(part) > 0; };
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Hundreds of runs end here behind no active window: the desktop's
    // session bus is spared their notifications unless SORVEX_BENCH_BUS names a bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", qgetenv("SORVEX_BENCH_BUS"));
    QApplication application(argc, argv);
    PrepareApplication();
    CreatePages();
    frmAddFile->show();
    Pump();
    Boxes();

    const Places places = {"/dev/shm", SORVEX_BENCH_BUILD_DIR};
    std::vector<Row> rows;
    try {
        const std::vector<std::pair<const char*, std::function<std::vector<Row>()>>> parts = {
            {"wipe", [&] { return WipeFigures(places); }},
            {"pumps", [&] { return PumpFigures(places); }},
            {"stop", [&] { return StopFigures(places); }},
            {"window",
             [&] { return QGuiApplication::platformName() == "xcb" ? WindowFigures(places) : WindowFiguresOnXvfb(); }},
            {"checks", [&] { return CheckFigures(places); }},
            {"expansion", [&] { return ExpansionFigures(places); }},
            {"list", [&] { return ListFigures(places); }},
            {"links", [&] { return LinkFigures(places); }},
            {"freespace", [&] { return FreeSpaceFigures(places); }},
            {"memory", [] { return MemoryFigures(); }},
            {"depth", [&] { return DepthFigures(places); }},
        };
        for (const auto& [name, figures] : parts) {
            if (wanted(name)) {
                for (Row& row : figures())
                    rows.push_back(std::move(row));
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sorvex_bench: %s\n", error.what());
        DestroyPages();
        return 1;
    }
    DestroyPages();
    if (rows.empty())
        return 0; // the window figures alone, on Xvfb: that bench has printed them

    std::printf("\nmachine: %s, %d cores, %s, Qt %s (%s platform, %s event dispatcher, locale %s)\n",
                CpuModel().c_str(), Cores(), Kernel().c_str(), qVersion(),
                QGuiApplication::platformName().toUtf8().constData(), DispatcherName().c_str(),
                QLocale::system().name().toUtf8().constData());
    std::printf("file systems: %s on %s, %s on %s\n\n", places.memory.c_str(), FileSystemOf(places.memory).c_str(),
                places.disk.c_str(), FileSystemOf(places.disk).c_str());
    PrintTable(rows);
    bool passed = true;
    for (const Row& row : rows)
        passed = passed && row.result != "FAIL";
    return passed ? 0 : 1;
}
