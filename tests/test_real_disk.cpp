// Destroys files on real file systems in loop-mounted images, then looks for
// their content in the raw image: what a run says is gone must be gone from
// the medium, not only from the page cache; and where an overwrite cannot
// land on the old data (copy-on-write), the run must say so.
#include "tests/support/EngineTest.h"
#include "tests/support/RealMedium.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <tuple>

#include <fcntl.h>
#include <unistd.h>

using namespace sorvex;

namespace {

const std::string MarkerBase = "SORVEX-TEST-MARKER-FOR-METHOD-";

std::string Marker(int method)
{
    return MarkerBase + std::to_string(method) + "|";
}

void WriteMarkerFileFor(const std::string& path, int method, std::size_t lines)
{
    WriteMarkerFile(path, Marker(method), lines);
}

// These are the tests that prove overwritten data left the medium; when they
// cannot run, the whole run's output must say so, not only a skip count.
std::string Loudly(const std::string& why)
{
    return ::Loudly("that overwritten data leaves the medium (RealDisk)", why, "a loop device can be mounted");
}

class RealDisk : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        fs.fileSystem.reset(); // the file system as it is
    }
    void TearDown() override
    {
        if (mounted)
            Shell("umount " + mountPoint);
        EngineTest::TearDown();
    }
    // Makes and mounts an image of a file system of type; the reason when it cannot.
    std::string Mount(const std::string& type)
    {
        if (geteuid() != 0)
            return "mounting a loop device needs root";
        if (!Shell("command -v mkfs." + type))
            return "mkfs." + type + " is not installed";
        view = RecordingView();
        image = tree / (type + ".img");
        mountPoint = tree / type;
        MakeFolder(mountPoint);
        if (!Shell("truncate -s 320M " + image) ||
            !Shell("mkfs." + type + " -q " + image + " || mkfs." + type + " -f " + image))
            return "mkfs." + type + " failed";
        if (!Shell("mount -o loop " + image + " " + mountPoint))
            return "no loop device, or mounting not allowed";
        mounted = true;
        return {};
    }
    // Three marker files per method, on the medium before the run.
    void MakeMarkerFiles()
    {
        for (int method = MethodFast; method <= MethodDoD; ++method) {
            const std::string folder = Folder(method);
            MakeFolder(folder);
            WriteMarkerFileFor(folder + "/small", method, 10);
            WriteMarkerFileFor(folder + "/medium", method, 3000);
            WriteMarkerFileFor(folder + "/large", method, 40000);
        }
        sync();
    }
    std::string Folder(int method) const { return mountPoint + "/m" + std::to_string(method); }
    std::size_t MarkersLeft(int method)
    {
        if (mounted && Shell("umount " + mountPoint))
            mounted = false;
        return CountIn(image, Marker(method));
    }

    std::string image;
    std::string mountPoint;
    bool mounted = false;
};

} // namespace

// ext4 and xfs overwrite a file where its data lies: every method, "Быстрый"
// with its one pass too, leaves no trace, and no run has anything to report.
TEST_F(RealDisk, OverwritesInPlaceLeaveNoTraceAndNothingToReport)
{
    for (const std::string type : {"ext4", "xfs"}) {
        const std::string why = Mount(type);
        if (!why.empty())
            GTEST_SKIP() << Loudly(type + ": " + why);
        MakeMarkerFiles();
        for (int method = MethodFast; method <= MethodDoD; ++method) {
            view = RecordingView();
            ListFolder(Folder(method));
            Shredder.Run(method);
            EXPECT_FALSE(Exists(Folder(method) + "/large"));
            EXPECT_TRUE(view.reports.empty())
                << type << ", method " << method << ": " << (view.reports.empty() ? "" : view.reports[0].items[0].path);
        }
        for (int method = MethodFast; method <= MethodDoD; ++method)
            EXPECT_EQ(MarkersLeft(method), 0u) << type << ", method " << method;
    }
}

// On btrfs every overwrite goes to new blocks and the old data stays on the
// medium: the run must not pass that off as destroyed.
TEST_F(RealDisk, CopyOnWriteIsReportedAsNotOverwrittenInPlace)
{
    const std::string why = Mount("btrfs");
    if (!why.empty())
        GTEST_SKIP() << Loudly("btrfs: " + why);
    MakeMarkerFiles();
    ListFolder(Folder(MethodThorough));
    Shredder.Run(MethodThorough);
    EXPECT_FALSE(Exists(Folder(MethodThorough) + "/large"));
    ASSERT_EQ(view.reports.size(), 1u);
    ASSERT_EQ(view.reports[0].items.size(), 3u) << "each of the three files";
    for (const RunReport::Item& item : view.reports[0].items)
        EXPECT_EQ(item.why, Remains::NotInPlace) << item.path;
    EXPECT_GT(MarkersLeft(MethodThorough), 0u) << "the report is true: the old data is still there";
}

// A file the system refuses ends the run, left as it was, and the report
// shown first says why in words a user can act on.
TEST_F(RealDisk, RefusedFileIsReportedWithWhy)
{
    const std::string why = Mount("ext4");
    if (!why.empty())
        GTEST_SKIP() << Loudly("ext4: " + why);
    const std::string file = mountPoint + "/refused";
    using Case = std::tuple<std::string, std::string, Remains>; // refused by, allowed again by
    for (const auto& [refuse, allow, reason] :
         {Case{"chattr +i " + file, "chattr -i " + file, Remains::WriteProtected},
          Case{"chattr +a " + file, "chattr -a " + file, Remains::WriteProtected},
          Case{"mount -o remount,ro " + mountPoint, "mount -o remount,rw " + mountPoint,
               Remains::ReadOnlyFileSystem}}) {
        view = RecordingView();
        WriteFile(file, "kept");
        ASSERT_TRUE(Shell(refuse)) << refuse;
        ListFile(file);
        EXPECT_THROW(Shredder.Run(MethodBalanced), std::exception) << refuse;
        EXPECT_TRUE(Shell(allow)) << allow;
        EXPECT_EQ(view.reports.at(0).items.at(0).why, reason) << refuse;
        EXPECT_EQ(ReadFile(file), "kept") << refuse;
    }
}
