#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Wall-clock seconds that one call of f takes.
template <class F>
double Seconds(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values);

// A fresh folder under parent, removed with everything below it.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& parent);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A file of size bytes, flushed to its medium, so a later pass pays only for its own writes.
void MakeFile(const std::string& path, std::int64_t size);
bool Exists(const std::string& path);

// Seconds a command takes as a subprocess, its output thrown away; negative when it failed.
double RunCommand(const std::vector<std::string>& argv);

// What the figures were measured on.
std::string CpuModel();
int Cores();
std::string Kernel();
// The type of the file system path lives on, from /proc/self/mountinfo.
std::string FileSystemOf(const std::string& path);

// One row of the result table.
struct Row {
    std::string figure;
    std::string measured;
    std::string target;
    std::string result; // PASS, FAIL, or "-" for figures reported without a target
};

void PrintTable(const std::vector<Row>& rows);

} // namespace bench
