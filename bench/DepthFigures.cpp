// What depth costs a run: a tree 40,000 folders deep, as a loop of mkdir
// makes one, destroyed whole under a limit of 256 open descriptors, with the
// memory the run takes at its peak.
#include "bench/Figures.h"
#include "bench/RunProbes.h"
#include "engine/CShredder.h"

#include <fstream>
#include <stdexcept>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace sorvex;

namespace bench {

namespace {

constexpr int Depth = 40000;
constexpr int FileEvery = 4000;
constexpr rlim_t Descriptors = 256;

// A file of 100 bytes called name in the folder dir.
void MakeFileIn(int dir, const char* name)
{
    const int fd = openat(dir, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || write(fd, std::string(100, 'x').data(), 100) != 100)
        throw std::runtime_error("cannot make a file in the deep tree");
    close(fd);
}

// A chain of Depth folders "d" below root, made relative to a descriptor (no
// path could name its bottom); every FileEvery levels a file, and beside the
// next level a folder "s" with a file, to which the walk comes back up.
void MakeDeepTree(const std::string& root)
{
    int dir = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 1; dir >= 0 && level <= Depth; ++level) {
        if (mkdirat(dir, "d", 0755) != 0)
            throw std::runtime_error("cannot make the deep tree");
        if (level % FileEvery == 0) {
            MakeFileIn(dir, "f");
            mkdirat(dir, "s", 0755);
            const int side = openat(dir, "s", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            MakeFileIn(side, "g");
            close(side);
        }
        const int next = openat(dir, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(dir);
        dir = next;
    }
    close(dir);
}

// A line of /proc/self/status in kB: VmRSS what the process holds now, VmHWM its peak.
long StatusKb(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    for (std::string word; status >> word;) {
        if (word == key) {
            long kb = 0;
            status >> kb;
            return kb;
        }
    }
    return 0;
}

std::vector<Row> DepthRows(const std::string& parent)
{
    const TempTree scratch(parent);
    Say("depth: a tree 40,000 folders deep in " + scratch.path());
    MakeDeepTree(scratch.path());
    ListOnPage(scratch.path(), true);
    ShowProgressPage();
    const std::size_t boxes = Boxes().Count();
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    const rlimit before = limit;
    limit.rlim_cur = Descriptors;
    setrlimit(RLIMIT_NOFILE, &limit);
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from what is held now
    const long held = StatusKb("VmRSS:");
    Shredder.Stop = false;
    const double seconds = Seconds([] { Shredder.Run(MethodBalanced); });
    const double peak = static_cast<double>(StatusKb("VmHWM:") - held) / 1024;
    setrlimit(RLIMIT_NOFILE, &before);
    const bool whole = DestroyedAllListed() && (Boxes().Count() == boxes || !Shredder.Report().Empty()) &&
                       RunCommand({"sh", "-c", "! find " + scratch.path() + " -type f | grep -q ."}) >= 0;
    ResetProgressPage();
    RunCommand({"rm", "-rf", scratch.path() + "/d"}); // deeper than any path can name
    const std::string figure =
        "depth: Сбалансированный, 40,000 folders deep, 20 files, 256 descriptors, " + FileSystemOf(parent);
    return {{figure + ": destroyed whole", whole ? "yes" : "no", "yes", Verdict(whole)},
            {figure + ": the run's peak memory", Format("%.1f MB (in %.2f s)", peak, seconds), "< 100 MB",
             Verdict(peak < 100)}};
}

} // namespace

std::vector<Row> DepthFigures(const Places& places)
{
    return DepthRows(places.memory);
}

} // namespace bench
