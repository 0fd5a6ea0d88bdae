// Destroys files on real file systems in loop-mounted images, then looks for
// their content in the raw image: what a run says is gone must be gone from
// the medium, not only from the page cache; and where an overwrite cannot
// land on the old data (copy-on-write), the run must say so, and a wipe of
// the free space must take what it left, names too. However a wipe ends,
// stopped or killed, the disk has its free space back.
#include "platform/Identity.h"
#include "tests/support/EngineTest.h"
#include "tests/support/RealMedium.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
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
    std::string Mount(const std::string& type, const std::string& options = "")
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
        if (!Shell("mount -o loop" + options + " " + image + " " + mountPoint))
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
    std::size_t MarkersLeft(int method) { return CopiesLeft(Marker(method)); }
    std::size_t CopiesLeft(const std::string& text)
    {
        if (mounted && Shell("umount " + mountPoint))
            mounted = false;
        return CountIn(image, text);
    }
    std::int64_t Available() const { return FreeBytes(mountPoint); }

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

const std::string ListedName = "SORVEX-LISTED-NAME-";

struct LeftCase {
    const char* label;
    const char* type;
    const char* options; // of the mount, after "loop"
    bool wipe; // the free space wiped after the run
};

class LeftBehind : public RealDisk, public testing::WithParamInterface<LeftCase> {};

INSTANTIATE_TEST_SUITE_P(Disks, LeftBehind,
                         testing::Values(LeftCase{"Btrfs", "btrfs", "", false},
                                         LeftCase{"BtrfsWiped", "btrfs", "", true},
                                         LeftCase{"BtrfsZstdWiped", "btrfs", ",compress=zstd", true},
                                         LeftCase{"Ext4Wiped", "ext4", "", true},
                                         LeftCase{"XfsWiped", "xfs", "", true}),
                         [](const auto& tested) { return std::string(tested.param.label); });

// On btrfs every overwrite goes to new blocks and the old data stays on the
// medium: the run must not pass that off as destroyed. A wipe of the free
// space then takes the old data, inline copies in the metadata included;
// on every file system it takes the names, once their folder is gone, from
// freed folder blocks, inodes and the journal.
TEST_P(LeftBehind, WhatARunLeavesAWipeOfTheFreeSpaceTakes)
{
    const LeftCase& row = GetParam();
    const std::string why = Mount(row.type, row.options);
    if (!why.empty())
        GTEST_SKIP() << Loudly(std::string(row.type) + ": " + why);
    const std::string folder = mountPoint + "/listed";
    MakeFolder(folder);
    for (int i = 0; i < 60; ++i)
        WriteMarkerFileFor(folder + "/" + ListedName + std::to_string(1000 + i), MethodThorough, i == 0 ? 40000 : 10);
    sync();
    ListFolder(folder);
    Shredder.Run(MethodThorough);
    EXPECT_FALSE(Exists(folder + "/" + ListedName + "1000"));
    const bool copies = std::string(row.type) == "btrfs";
    ASSERT_EQ(view.reports.size(), copies ? 1u : 0u);
    for (const RunReport::Item& item : copies ? view.reports[0].items : std::vector<RunReport::Item>())
        EXPECT_EQ(item.why, Remains::NotInPlace) << item.path;
    ASSERT_EQ(::rmdir(folder.c_str()), 0);
    if (row.wipe) {
        Shredder.WipeFreeSpace({mountPoint + "/"});
        ASSERT_EQ(view.wipeReports.size(), 1u);
        const WipeReport::FileSystem& wiped = view.wipeReports[0].fileSystems.at(0);
        EXPECT_EQ(wiped.end, WipeEnd::Wiped);
        EXPECT_EQ(wiped.place.mountPoint, mountPoint);
        EXPECT_EQ(wiped.journalTurned, !copies);
        EXPECT_FALSE(Exists(mountPoint + "/.sorvex-free-space"));
    }
    const std::size_t markers = MarkersLeft(MethodThorough);
    if (!row.wipe) {
        EXPECT_GT(markers, 0u) << "the report is true: the old data is still there";
        return;
    }
    EXPECT_EQ(markers, 0u);
    EXPECT_EQ(CopiesLeft(ListedName), 0u);
}

struct EndCase {
    const char* label;
    bool unnamed; // the file system's files without a name (O_TMPFILE) used
    bool killed; // kill -9; otherwise "Стоп"
    bool makingNames; // ended while names are made; otherwise while data is written
};

class WipeEnds : public RealDisk, public testing::WithParamInterface<EndCase> {
protected:
    void TearDown() override
    {
        RefusedForTests().tmpfile = false;
        RealDisk::TearDown();
    }
    // True once the wipe has reached the phase the row ends it in.
    bool InPhase() const
    {
        return GetParam().makingNames ? Exists(mountPoint + "/.sorvex-free-space/n0") : Available() < before / 2;
    }
    // Polls until the condition holds, ten seconds at most.
    static bool Eventually(const std::function<bool()>& holds)
    {
        for (int i = 0; i < 1000 && !holds(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return holds();
    }
    std::int64_t before = 0;
};

INSTANTIATE_TEST_SUITE_P(Ends, WipeEnds,
                         testing::Values(EndCase{"KilledWritingData", true, true, false},
                                         EndCase{"KilledWritingDataWithoutTmpfile", false, true, false},
                                         EndCase{"KilledMakingNames", true, true, true},
                                         EndCase{"StoppedWritingData", true, false, false},
                                         EndCase{"StoppedWritingDataWithoutTmpfile", false, false, false}),
                         [](const auto& tested) { return std::string(tested.param.label); });

// Never a full disk left behind: the data goes with the program, stopped or
// killed, in files without a name or in files unlinked as soon as made, and
// the guard takes the names. "Стоп" is answered within 50 ms.
TEST_P(WipeEnds, TheFreeSpaceComesBack)
{
    const std::string why = Mount("ext4");
    if (!why.empty())
        GTEST_SKIP() << Loudly("ext4: " + why);
    RefusedForTests().tmpfile = !GetParam().unnamed;
    before = Available();
    if (!GetParam().killed) {
        std::chrono::steady_clock::time_point pressed;
        view.onPump = [&] {
            if (!Shredder.Stop && InPhase()) {
                pressed = std::chrono::steady_clock::now();
                Shredder.Stop = true;
            }
        };
        Shredder.WipeFreeSpace({mountPoint});
        const auto answered = std::chrono::steady_clock::now() - pressed;
        EXPECT_LT(answered, std::chrono::milliseconds(50));
        ASSERT_EQ(view.wipeReports.size(), 1u);
        EXPECT_EQ(view.wipeReports[0].fileSystems.at(0).end, WipeEnd::Stopped);
    } else {
        const pid_t wipe = ::fork();
        if (wipe == 0) {
            Shredder.WipeFreeSpace({mountPoint});
            ::_exit(0);
        }
        EXPECT_TRUE(Eventually([this] { return InPhase(); })) << "the wipe never came that far";
        ::kill(wipe, SIGKILL);
        ::waitpid(wipe, nullptr, 0);
    }
    // As the kernel frees the files and the guard removes the folder.
    EXPECT_TRUE(Eventually([this] { return Available() >= before - before / 100; })) << Available() << " of " << before;
    EXPECT_TRUE(Eventually([this] { return !Exists(mountPoint + "/.sorvex-free-space"); }));
}
