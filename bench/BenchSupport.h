#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace bench {

using Clock = std::chrono::steady_clock;

// Wall-clock seconds that one call of f takes.
template <class F>
double Seconds(F&& f)
{
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double SecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

double Median(std::vector<double> values);
double Largest(const std::vector<double>& values);

// Runs every measure once per round, the order turning by one between rounds;
// returns the seconds of each measure, round by round.
std::vector<std::vector<double>> Interleave(int rounds, const std::vector<std::function<double()>>& measures);
// The median of the ratios a[i] / b[i] of the same rounds.
double MedianRatio(const std::vector<double>& a, const std::vector<double>& b);

// printf into a string.
std::string Format(const char* format, double a, double b = 0, double c = 0, double d = 0);

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

// Removes path and everything below it, never following a link.
void RemoveTree(const std::string& path);

// A file of size bytes, flushed to its medium, so a later pass pays only for its own writes.
void MakeFile(const std::string& path, std::int64_t size);
bool Exists(const std::string& path);

// folders folders below root (made), each holding filesInEach files of bytes
// bytes; returns the files' paths. Nothing is flushed.
std::vector<std::string> MakeSmallFiles(const std::string& root, int folders, int filesInEach, int bytes);
// The regular files below root.
std::size_t CountFilesBelow(const std::string& root);
// Writes out and waits for everything of the file system path lives on.
void SyncFileSystem(const std::string& path);

// Seconds a command takes as a subprocess, its output thrown away; negative when it failed.
double RunCommand(const std::vector<std::string>& argv);
bool HaveCommand(const std::string& name);

// Runs a command with extra environment variables ("NAME=value"), its
// standard output read back; stderr is shared with ours.
struct Captured {
    bool exitedWithZero = false;
    int exitCode = -1;
    std::string out;
};
Captured RunAndCapture(const std::vector<std::string>& argv, const std::vector<std::string>& environment);

// An Xvfb of our own on the first free display from :140 on, stopped with it.
// -noreset: by default the server resets when its last client leaves (the
// readiness check included) and refuses connections meanwhile.
class PrivateXServer {
public:
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;
    // ":N", empty when no server could be started.
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

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

inline std::string Verdict(bool met)
{
    return met ? "PASS" : "FAIL";
}

// A row as one line of text, and back: how a child process hands its rows over.
std::string RowLine(const Row& row);
bool ParseRowLine(const std::string& line, Row& row);

void PrintTable(const std::vector<Row>& rows);

} // namespace bench
