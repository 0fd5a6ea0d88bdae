// Destroys files on a real ext4 file system in a loop-mounted image, then
// looks for their content in the raw image: what was overwritten must be gone
// from the medium, not only from the page cache.
#include "tests/support/EngineTest.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <unistd.h>

using namespace sorvex;

namespace {

const std::string MarkerBase = "SORVEX-TEST-MARKER-FOR-METHOD-";

std::string Marker(int method)
{
    return MarkerBase + std::to_string(method) + "|";
}

bool Shell(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

void WriteMarkerFile(const std::string& path, int method, std::size_t lines)
{
    std::string content;
    for (std::size_t i = 0; i < lines; ++i)
        content += Marker(method) + "\n";
    WriteFile(path, content);
    const int fd = open(path.c_str(), O_WRONLY);
    fsync(fd);
    close(fd);
}

std::size_t Count(const std::string& haystack, const std::string& needle)
{
    std::size_t count = 0;
    for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1))
        ++count;
    return count;
}

// This is the one test that proves overwritten data left the medium; when it
// cannot run, the whole run's output must say so, not only a skip count.
std::string Loudly(const std::string& why)
{
    std::fprintf(stderr,
                 "\n"
                 "*********************************************************************\n"
                 "*** NOT CHECKED: that overwritten data leaves the medium.          ***\n"
                 "*** RealDisk was skipped: %-41s ***\n"
                 "*** Run the tests as root where a loop device can be mounted.     ***\n"
                 "*********************************************************************\n\n",
                 why.c_str());
    return why;
}

class RealDisk : public EngineTest {
protected:
    void TearDown() override
    {
        if (mounted)
            Shell("umount " + mountPoint);
        EngineTest::TearDown();
    }
    std::string mountPoint;
    bool mounted = false;
};

} // namespace

TEST_F(RealDisk, OverwrittenFilesLeaveNoTraceInTheImage)
{
    if (geteuid() != 0)
        GTEST_SKIP() << Loudly("mounting a loop device needs root");
    const std::string image = tree / "disk.img";
    mountPoint = tree / "mnt";
    MakeFolder(mountPoint);
    ASSERT_TRUE(Shell("truncate -s 32M " + image));
    if (!Shell("mkfs.ext4 -q -F " + image))
        GTEST_SKIP() << Loudly("mkfs.ext4 is not available");
    if (!Shell("mount -o loop " + image + " " + mountPoint))
        GTEST_SKIP() << Loudly("no loop device, or mounting not allowed");
    mounted = true;

    for (int method = MethodFast; method <= MethodDoD; ++method) {
        const std::string folder = mountPoint + "/m" + std::to_string(method);
        MakeFolder(folder);
        WriteMarkerFile(folder + "/small", method, 10);
        WriteMarkerFile(folder + "/medium", method, 3000);
        WriteMarkerFile(folder + "/large", method, 40000);
    }
    sync();
    for (int method = MethodFast; method <= MethodDoD; ++method) {
        view.entries.clear();
        ListFolder(mountPoint + "/m" + std::to_string(method));
        Shredder.Run(method);
        EXPECT_FALSE(Exists(mountPoint + "/m" + std::to_string(method) + "/large"));
    }

    ASSERT_TRUE(Shell("umount " + mountPoint));
    mounted = false;
    std::ifstream in(image, std::ios::binary);
    const std::string disk{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_GT(Count(disk, Marker(MethodFast)), 0u) << "the fast method writes nothing, so its files' content stays";
    for (int method : {MethodBalanced, MethodThorough, MethodDoD})
        EXPECT_EQ(Count(disk, Marker(method)), 0u) << "method " << method;
}
