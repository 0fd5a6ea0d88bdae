#include "tests/support/RealMedium.h"

#include "tests/support/TempTree.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

bool Shell(const std::string& command)
{
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

void WriteMarkerFile(const std::string& path, const std::string& marker, std::size_t lines)
{
    std::string content;
    for (std::size_t i = 0; i < lines; ++i)
        content += marker + "\n";
    WriteFile(path, content);
    const int fd = ::open(path.c_str(), O_WRONLY);
    ::fsync(fd);
    ::close(fd);
}

std::int64_t FreeBytes(const std::string& path)
{
    struct statvfs fs {};
    ::statvfs(path.c_str(), &fs);
    return static_cast<std::int64_t>(fs.f_bavail) * static_cast<std::int64_t>(fs.f_frsize);
}

void ForEachIn(const std::string& path, const std::string& needle, std::size_t length,
               const std::function<void(std::string_view)>& found)
{
    std::ifstream in(path, std::ios::binary);
    std::string window;
    std::vector<char> piece(1 << 20);
    while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
        window.append(piece.data(), static_cast<std::size_t>(in.gcount()));
        std::size_t at = window.find(needle);
        for (; at != std::string::npos && at + length <= window.size(); at = window.find(needle, at + 1))
            found(std::string_view(window).substr(at, length));
        // What may straddle two pieces is looked at again with the next one.
        const std::size_t keep = at != std::string::npos ? window.size() - at : std::min(window.size(), length - 1);
        window.erase(0, window.size() - keep);
    }
}

std::size_t CountIn(const std::string& path, const std::string& needle)
{
    std::size_t count = 0;
    ForEachIn(path, needle, needle.size(), [&](std::string_view) { ++count; });
    return count;
}

std::string Loudly(const std::string& what, const std::string& why, const std::string& needs)
{
    std::fprintf(stderr,
                 "\n*********************************************************************\n"
                 "*** NOT CHECKED: %s\n"
                 "*** skipped: %s\n"
                 "*** Run the tests as root where %s.\n"
                 "*********************************************************************\n\n",
                 what.c_str(), why.c_str(), needs.c_str());
    return why;
}
