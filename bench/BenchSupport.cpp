#include "bench/BenchSupport.h"

#include "platform/MountTable.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <optional>
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

double Largest(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

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

std::string Format(const char* format, double a, double b, double c, double d)
{
    char text[200];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
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

std::vector<std::string> MakeSmallFiles(const std::string& root, int folders, int filesInEach, int bytes)
{
    mkdir(root.c_str(), 0755);
    const std::string content(static_cast<std::size_t>(bytes), 'x');
    std::vector<std::string> files;
    files.reserve(static_cast<std::size_t>(folders) * static_cast<std::size_t>(filesInEach));
    for (int f = 0; f < folders; ++f) {
        const std::string folder = root + "/letters-" + std::to_string(f);
        if (mkdir(folder.c_str(), 0755) != 0)
            throw std::runtime_error("cannot make " + folder);
        for (int i = 0; i < filesInEach; ++i) {
            std::string file = folder + "/letter-" + std::to_string(i) + ".txt";
            const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0 || write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
                throw std::runtime_error("cannot create " + file);
            close(fd);
            files.push_back(std::move(file));
        }
    }
    return files;
}

namespace {
std::size_t filesCounted = 0;
}

std::size_t CountFilesBelow(const std::string& root)
{
    filesCounted = 0;
    nftw(
        root.c_str(),
        [](const char*, const struct stat*, int type, FTW*) {
            filesCounted += type == FTW_F ? 1 : 0;
            return 0;
        },
        64, FTW_PHYS);
    return filesCounted;
}

void SyncFileSystem(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        syncfs(fd);
        close(fd);
    }
}

namespace {

std::vector<char*> PointersTo(const std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (const std::string& s : strings)
        pointers.push_back(const_cast<char*>(s.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

int WaitFor(pid_t pid)
{
    int status = -1;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return status;
}

// Spawns argv with the given ones of its standard output and errors sent to /dev/null.
pid_t Spawn(const std::vector<std::string>& argv, std::initializer_list<int> silenced)
{
    std::vector<char*> args = PointersTo(argv);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const int fd : silenced)
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

} // namespace

double RunCommand(const std::vector<std::string>& argv)
{
    int status = -1;
    const double seconds = Seconds([&] {
        const pid_t pid = Spawn(argv, {STDOUT_FILENO});
        if (pid > 0)
            status = WaitFor(pid);
    });
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

bool HaveCommand(const std::string& name)
{
    const pid_t pid = Spawn({"sh", "-c", "command -v " + name}, {STDOUT_FILENO, STDERR_FILENO});
    if (pid <= 0)
        return false;
    const int status = WaitFor(pid);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RunShown(const std::vector<std::string>& argv)
{
    std::fflush(stdout); // ours before the command's
    const pid_t pid = Spawn(argv, {});
    const int status = pid > 0 ? WaitFor(pid) : -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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
    const int fd = open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0)
        return "unknown";
    const std::optional<sorvex::MountEntry> mount = sorvex::MountOfHandle(fd);
    close(fd);
    return mount ? mount->type : "unknown";
}

namespace {

// Characters on screen, not bytes: the figures hold Cyrillic names.
std::size_t WidthOf(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string Padded(const std::string& text, std::size_t width)
{
    return text + std::string(width > WidthOf(text) ? width - WidthOf(text) : 0, ' ');
}

} // namespace

void PrintTable(const std::vector<Row>& rows)
{
    std::size_t widths[3] = {6, 8, 6};
    for (const Row& row : rows) {
        widths[0] = std::max(widths[0], WidthOf(row.figure));
        widths[1] = std::max(widths[1], WidthOf(row.measured));
        widths[2] = std::max(widths[2], WidthOf(row.target));
    }
    auto print = [&](const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
        std::printf("%s  %s  %s  %s\n", Padded(a, widths[0]).c_str(), Padded(b, widths[1]).c_str(),
                    Padded(c, widths[2]).c_str(), d.c_str());
    };
    print("figure", "measured", "target", "result");
    print(std::string(widths[0], '-'), std::string(widths[1], '-'), std::string(widths[2], '-'), "------");
    for (const Row& row : rows)
        print(row.figure, row.measured, row.target, row.result);
}

} // namespace bench
