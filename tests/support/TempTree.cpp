#include "tests/support/TempTree.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

TempTree::TempTree(const std::string& parent)
{
    std::string pattern = parent + "/sorvex-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a folder in " + parent);
    path_ = pattern;
}

static int RemoveOne(const char* path, const struct stat*, int type, FTW*)
{
    if (type == FTW_DP)
        rmdir(path);
    else
        unlink(path);
    return 0;
}

TempTree::~TempTree()
{
    RemoveTree(path_);
}

void RemoveTree(const std::string& path)
{
    // Folders left read-only must not stop the clean-up.
    nftw(
        path.c_str(),
        [](const char* entry, const struct stat* st, int type, FTW*) {
            if (type == FTW_D)
                chmod(entry, st->st_mode | S_IRWXU);
            return 0;
        },
        64, FTW_PHYS);
    nftw(path.c_str(), RemoveOne, 64, FTW_DEPTH | FTW_PHYS);
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void MakeFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0755) != 0)
        throw std::runtime_error("cannot make folder " + path);
}

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}
