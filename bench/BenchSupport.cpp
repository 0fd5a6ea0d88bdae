#include "bench/BenchSupport.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <ftw.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

ScratchFolder::ScratchFolder(const std::string& parent)
{
    std::string pattern = parent + "/sorvex-bench-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a folder in " + parent);
    path_ = pattern;
}

ScratchFolder::~ScratchFolder()
{
    nftw(
        path_.c_str(),
        [](const char* path, const struct stat*, int type, FTW*) {
            return type == FTW_DP ? rmdir(path) : unlink(path);
        },
        64, FTW_DEPTH | FTW_PHYS);
}

void MakeFile(const std::string& path, std::int64_t size)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    const std::string chunk(1 << 20, 'x');
    for (std::int64_t left = size; left > 0;) {
        const auto count =
            static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(chunk.size())));
        const ssize_t written = write(fd, chunk.data(), count);
        if (written <= 0)
            throw std::runtime_error("cannot fill " + path);
        left -= written;
    }
    fdatasync(fd);
    close(fd);
}

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

double RunCommand(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    int status = -1;
    const double seconds = Seconds([&] {
        if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0)
            waitpid(pid, &status, 0);
    });
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

std::string CpuModel()
{
    std::ifstream in("/proc/cpuinfo");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("model name", 0) == 0) {
            const std::size_t colon = line.find(':');
            return colon == std::string::npos ? line : line.substr(line.find_first_not_of(" \t", colon + 1));
        }
    }
    return "unknown";
}

int Cores()
{
    return static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
}

std::string Kernel()
{
    utsname name{};
    uname(&name);
    return std::string(name.sysname) + " " + name.release + " " + name.machine;
}

std::string FileSystemOf(const std::string& path)
{
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved))
        return "unknown";
    const std::string target = resolved;
    std::ifstream in("/proc/self/mountinfo");
    std::size_t best = 0;
    std::string type = "unknown";
    // id parent major:minor root mount-point options [optional...] - type source super-options
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string skip, mountPoint;
        fields >> skip >> skip >> skip >> skip >> mountPoint;
        const std::size_t dash = line.find(" - ");
        if (dash == std::string::npos)
            continue;
        const bool covers =
            mountPoint == "/" || (target.rfind(mountPoint, 0) == 0 &&
                                  (target.size() == mountPoint.size() || target[mountPoint.size()] == '/'));
        if (covers && mountPoint.size() >= best) {
            best = mountPoint.size();
            std::istringstream rest(line.substr(dash + 3));
            rest >> type;
        }
    }
    return type;
}

void PrintTable(const std::vector<Row>& rows)
{
    std::size_t widths[3] = {6, 8, 6};
    for (const Row& row : rows) {
        widths[0] = std::max(widths[0], row.figure.size());
        widths[1] = std::max(widths[1], row.measured.size());
        widths[2] = std::max(widths[2], row.target.size());
    }
    auto print = [&](const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
        std::printf("%-*s  %-*s  %-*s  %s\n", static_cast<int>(widths[0]), a.c_str(), static_cast<int>(widths[1]),
                    b.c_str(), static_cast<int>(widths[2]), c.c_str(), d.c_str());
    };
    print("figure", "measured", "target", "result");
    print(std::string(widths[0], '-'), std::string(widths[1], '-'), std::string(widths[2], '-'), "------");
    for (const Row& row : rows)
        print(row.figure, row.measured, row.target, row.result);
}

} // namespace bench
