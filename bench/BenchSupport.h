#pragma once

// Scratch folders and files: the tests' own TempTree, Exists and RemoveTree.
#include "tests/support/TempTree.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// A file of size bytes, flushed to its medium, so a later pass pays only for its own writes.
void MakeFile(const std::string& path, std::int64_t size);

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
// Runs a command with our output and errors; true when it exited with 0.
bool RunShown(const std::vector<std::string>& argv);

// What the figures were measured on.
std::string CpuModel();
int Cores();
std::string Kernel();
// The type of the file system path lives on, as the mount table names it.
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

void PrintTable(const std::vector<Row>& rows);

} // namespace bench
