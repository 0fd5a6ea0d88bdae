#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// What the tests on real mounts and loop images share.

// Runs command in a shell, its output dropped; true when it succeeded.
bool Shell(const std::string& command);

// A file of lines copies of marker, sent on to the medium.
void WriteMarkerFile(const std::string& path, const std::string& marker, std::size_t lines);

// What an unprivileged writer may still write on the file system of path (statvfs).
std::int64_t FreeBytes(const std::string& path);

// How often needle stands in the file at path (an image), read a piece at a time.
std::size_t CountIn(const std::string& path, const std::string& needle);

// Calls found with the length bytes from each place needle stands in the file at path.
void ForEachIn(const std::string& path, const std::string& needle, std::size_t length,
               const std::function<void(std::string_view)>& found);

// Tells the whole test run's output, not only a skip count, that what was
// not checked, and returns why for GTEST_SKIP.
std::string Loudly(const std::string& what, const std::string& why, const std::string& needs);
