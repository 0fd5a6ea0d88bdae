// Where old bytes of a listed file live on besides the blocks its overwrite
// reaches (an overlay's lower layer, a data journal), on real file systems in
// loop-mounted images; a folder whose reading fails part-way; and a sparse
// file on a nearly full disk. What a run reports must be what the medium shows.
#include "engine/Error.h"
#include "tests/support/EngineTest.h"
#include "tests/support/RealMedium.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

using namespace sorvex;

namespace {

const std::string Marker = "SORVEX-OTHER-HOMES-MARKER|";

void WriteMarkerFile(const std::string& path, std::size_t lines)
{
    ::WriteMarkerFile(path, Marker, lines);
}

std::size_t MarkersIn(const std::string& path)
{
    return CountIn(path, Marker);
}

// The swap areas this system has on, as /proc/swaps lists them after its header.
std::string SwapIsActiveHere()
{
    std::ifstream in("/proc/swaps");
    std::string line, areas;
    std::getline(in, line);
    while (std::getline(in, line))
        areas += line;
    return areas;
}

std::string Loudly(const std::string& what, const std::string& why)
{
    return ::Loudly(what, why, "a loop device can be mounted");
}

const char* const Names[] = {"small", "medium", "large"};

class OtherHomes : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        fs.fileSystem.reset(); // the file system as it is
    }
    void TearDown() override
    {
        if (!swapFile.empty())
            Shell("swapoff " + swapFile);
        for (auto point = mounted.rbegin(); point != mounted.rend(); ++point)
            Shell("umount " + *point);
        EngineTest::TearDown();
    }
    // An ext4 image of megabytes mounted with options at tree/name; the reason when it cannot.
    std::string MountExt4(const std::string& name, int megabytes, const std::string& options = "")
    {
        if (::geteuid() != 0)
            return "mounting a loop device needs root";
        const std::string image = tree / (name + ".img");
        MakeFolder(tree / name);
        if (!Shell("truncate -s " + std::to_string(megabytes) + "M " + image + " && mkfs.ext4 -q " + image))
            return "mkfs.ext4 failed";
        if (!Shell("mount -o loop" + (options.empty() ? "" : "," + options) + " " + image + " " + (tree / name)))
            return "no loop device, or mounting not allowed";
        mounted.push_back(tree / name);
        return {};
    }
    // Unmounts tree/name and counts the markers left in its image.
    std::size_t MarkersLeftIn(const std::string& name)
    {
        const auto point = std::find(mounted.begin(), mounted.end(), tree / name);
        if (point != mounted.end() && Shell("umount " + *point))
            mounted.erase(point);
        return MarkersIn(tree / (name + ".img"));
    }
    std::vector<Remains> ReasonsFor(const std::string& path) const
    {
        std::vector<Remains> reasons;
        for (const RunReport& report : view.reports)
            for (const RunReport::Item& item : report.items)
                if (item.path == path)
                    reasons.push_back(item.why);
        return reasons;
    }
    bool Reported(const std::string& path, Remains why) const
    {
        const std::vector<Remains> reasons = ReasonsFor(path);
        return std::find(reasons.begin(), reasons.end(), why) != reasons.end();
    }
    // Every marker file in folder is gone, and reported for why exactly when expected.
    void ExpectAllGone(const std::string& folder, Remains why, bool reported = true) const
    {
        for (const char* name : Names) {
            EXPECT_FALSE(Exists(folder + name)) << name;
            EXPECT_EQ(Reported(folder + name, why), reported) << name;
        }
    }

    std::vector<std::string> mounted;
    std::string swapFile; // turned on by the test, turned off at its end
};

const std::size_t Lines[] = {10, 3000, 40000};

// An overlay (Docker's overlay2, a live system's persistence): whatever is
// written through the merged view goes to the upper layer, and the lower
// layer keeps every file as it was. The run must say so for each file that
// came from below, and only for those.
struct OverlayCase {
    const char* label;
    const char* options; // beyond the layers
};

class Overlays : public OtherHomes, public testing::WithParamInterface<OverlayCase> {};

// With xino the overlay gives every file its folder's device; without it (as
// Docker mounts it) a file from below keeps its lower layer's inode number.
INSTANTIATE_TEST_SUITE_P(Mounts, Overlays,
                         testing::Values(OverlayCase{"Xino", ",xino=on"}, OverlayCase{"NoXino", ",xino=off"}),
                         [](const auto& tested) { return std::string(tested.param.label); });

TEST_P(Overlays, ALowerLayerKeepsItsFilesAndTheRunSaysSo)
{
    std::string why = MountExt4("lower", 64);
    if (why.empty())
        why = MountExt4("upper", 64);
    if (!why.empty())
        GTEST_SKIP() << Loudly("that files kept by an overlay's lower layer are reported", why);
    MakeFolder(tree / "lower/d");
    for (std::size_t i = 0; i < 3; ++i)
        WriteMarkerFile(tree / "lower/d/" + Names[i], Lines[i]);
    MakeFolder(tree / "upper/u");
    MakeFolder(tree / "upper/w");
    MakeFolder(tree / "merged");
    if (!Shell("mount -t overlay overlay -o lowerdir=" + tree / "lower" + ",upperdir=" + tree / "upper/u" +
               ",workdir=" + tree / "upper/w" + GetParam().options + " " + tree / "merged"))
        GTEST_SKIP() << Loudly("that files kept by an overlay's lower layer are reported", "overlay mount refused");
    mounted.push_back(tree / "merged");
    WriteFile(tree / "merged/d/new", "only in the upper layer");
    ListFolder(tree / "merged/d");
    Shredder.Run(MethodThorough);
    EXPECT_TRUE(view.Finished());
    ExpectAllGone(tree / "merged/d/", Remains::LowerLayer);
    EXPECT_FALSE(Exists(tree / "merged/d/new"));
    EXPECT_FALSE(Reported(tree / "merged/d/new", Remains::LowerLayer)) << "it never was in the lower layer";
    ASSERT_TRUE(Shell("umount " + tree / "merged"));
    mounted.erase(std::find(mounted.begin(), mounted.end(), tree / "merged"));
    EXPECT_GT(MarkersLeftIn("lower"), 0u) << "the report is true: the lower layer still holds the old data";
}

struct LayerCase {
    const char* label;
    const char* name; // in the merged folder d
    bool hideUpper; // another mount over the upper layer's path
    OldCopy expected;
};

class Layers : public OtherHomes, public testing::WithParamInterface<LayerCase> {};

// Where the layers cannot be seen as the mount table names them, the answer
// is the one that may be true: the lower layer keeps the file.
INSTANTIATE_TEST_SUITE_P(Files, Layers,
                         testing::Values(LayerCase{"FromBelow", "old", false, OldCopy::LowerLayer},
                                         LayerCase{"OnlyAbove", "new", false, OldCopy::None},
                                         LayerCase{"LayersHidden", "new", true, OldCopy::LowerLayer}),
                         [](const auto& tested) { return std::string(tested.param.label); });

TEST_P(Layers, TheOverlaySaysWhetherALowerLayerKeepsAFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << Loudly("what an overlay's layers keep", "mounting an overlay needs root");
    for (const char* folder : {"lower", "lower/d", "upper", "work", "merged"})
        MakeFolder(tree / folder);
    WriteFile(tree / "lower/d/old", "old");
    if (!Shell("mount -t overlay overlay -o lowerdir=" + tree / "lower" + ",upperdir=" + tree / "upper" +
               ",workdir=" + tree / "work " + tree / "merged"))
        GTEST_SKIP() << Loudly("what an overlay's layers keep", "overlay mount refused");
    mounted.push_back(tree / "merged");
    WriteFile(tree / "merged/d/new", "new");
    if (GetParam().hideUpper) {
        ASSERT_TRUE(Shell("mount -t tmpfs tmpfs " + tree / "upper"));
        mounted.push_back(tree / "upper");
    }
    FileServices& system = SystemServices();
    const Opened opened = system.OpenFolder(tree / "merged/d", true);
    const int folder = opened.fd.Get();
    ASSERT_GE(folder, 0);
    const Node node = system.Inspect(folder, GetParam().name);
    const Opened file = system.OpenForWriting(folder, GetParam().name, node.id);
    ASSERT_TRUE(file.fd.IsOpen());
    EXPECT_EQ(system.OldCopyOf(folder, GetParam().name, file.fd.Get()), GetParam().expected);
}

struct JournalCase {
    const char* label;
    const char* mountOptions;
    bool fileFlag; // chattr +j on each file
};

class Journals : public OtherHomes, public testing::WithParamInterface<JournalCase> {};

INSTANTIATE_TEST_SUITE_P(Kinds, Journals,
                         testing::Values(JournalCase{"DataJournalMount", "data=journal", false},
                                         JournalCase{"JournalDataFlag", "", true}),
                         [](const auto& tested) { return std::string(tested.param.label); });

// Data that went through the journal may stay there after the file's own
// blocks are overwritten: each file is reported, whatever the image shows.
TEST_P(Journals, EveryFileIsReportedJournalled)
{
    const std::string why = MountExt4("ext4", 128, GetParam().mountOptions);
    if (!why.empty())
        GTEST_SKIP() << Loudly("that data journalled by ext4 is reported", why);
    MakeFolder(tree / "ext4/d");
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string file = tree / "ext4/d/" + Names[i];
        WriteFile(file, "");
        if (GetParam().fileFlag && !Shell("chattr +j " + file))
            GTEST_SKIP() << Loudly("that a file with the journal-data flag is reported", "chattr +j refused");
        WriteMarkerFile(file, Lines[i]);
    }
    ::sync();
    ListFolder(tree / "ext4/d");
    Shredder.Run(MethodBalanced);
    EXPECT_TRUE(view.Finished());
    ExpectAllGone(tree / "ext4/d/", Remains::Journalled);
    const std::size_t left = MarkersLeftIn("ext4");
    RecordProperty("markers_left", static_cast<int>(left));
    std::printf("%s: %zu of %zu marker copies left in the image\n", GetParam().label, left,
                Lines[0] + Lines[1] + Lines[2]);
}

struct SwapCase {
    const char* label;
    bool swapOn;
};

class Swap : public OtherHomes, public testing::WithParamInterface<SwapCase> {};

INSTANTIATE_TEST_SUITE_P(States, Swap, testing::Values(SwapCase{"On", true}, SwapCase{"Off", false}),
                         [](const auto& tested) { return std::string(tested.param.label); });

// tmpfs keeps files in memory, and memory may be written to swap: while any
// swap is on, each file destroyed on a tmpfs is reported, and only then.
TEST_P(Swap, FilesOnTmpfsAreReportedWhileSwapIsOn)
{
    if (!SwapIsActiveHere().empty() && GetParam().swapOn == false)
        GTEST_SKIP() << Loudly("that tmpfs without swap reports nothing", "this system has swap on");
    std::string why = MountExt4("swap", 64);
    if (why.empty()) {
        MakeFolder(tree / "tmpfs");
        why = Shell("mount -t tmpfs -o size=16M tmpfs " + tree / "tmpfs") ? "" : "tmpfs mount refused";
    }
    if (why.empty())
        mounted.push_back(tree / "tmpfs");
    if (why.empty() && GetParam().swapOn) {
        const std::string file = tree / "swap/file";
        if (Shell("fallocate -l 16M " + file + " && chmod 600 " + file + " && mkswap " + file + " && swapon " + file))
            swapFile = file;
        else
            why = "swapon refused";
    }
    if (!why.empty())
        GTEST_SKIP() << Loudly("that files on tmpfs are reported while swap is on", why);
    MakeFolder(tree / "tmpfs/d");
    for (const char* name : Names)
        WriteFile(tree / "tmpfs/d/" + name, "in memory");
    ListFolder(tree / "tmpfs/d");
    Shredder.Run(MethodBalanced);
    EXPECT_TRUE(view.Finished());
    ExpectAllGone(tree / "tmpfs/d/", Remains::Swapped, GetParam().swapOn);
}

struct CutCase {
    const char* label;
    const char* cutFolder; // below the listed folder "list", "" for itself
};

class CutShort : public OtherHomes, public testing::WithParamInterface<CutCase> {};

INSTANTIATE_TEST_SUITE_P(Where, CutShort, testing::Values(CutCase{"ListedFolder", ""}, CutCase{"Subfolder", "sub/"}),
                         [](const auto& tested) { return std::string(tested.param.label); });

// A failing disk: reading the folder fails after its first entries. What was
// read is destroyed; the folder is reported unreadable by its path, and what
// was never read stays as it was, never taken as the folder's end.
TEST_P(CutShort, AFolderReadPartWayIsReportedAndWhatWasReadIsDestroyed)
{
    const std::string folder = tree / "list/" + GetParam().cutFolder;
    MakeFolder(tree / "list");
    MakeFolder(tree / "list/sub");
    for (int i = 0; i < 10; ++i)
        WriteFile(folder + "f" + std::to_string(i), "content " + std::to_string(i));
    fs.fileSystem = FileSystemInfo{false, true};
    fs.cutAfter[folder] = 3;
    ListFolder(tree / "list");
    Shredder.Run(MethodBalanced);
    EXPECT_TRUE(view.Finished());
    EXPECT_TRUE(Reported(folder, Remains::FolderUnreadable)) << folder;
    int gone = 0;
    for (int i = 0; i < 10; ++i) {
        const std::string file = folder + "f" + std::to_string(i);
        const bool removed = std::find(fs.removed.begin(), fs.removed.end(), file) != fs.removed.end();
        EXPECT_EQ(Exists(file), !removed) << file;
        if (Exists(file)) {
            EXPECT_EQ(ReadFile(file), "content " + std::to_string(i)) << "never read, so never touched";
        }
        gone += removed ? 1 : 0;
    }
    // The three entries read before the error; in the listed folder one of them may be sub/.
    EXPECT_GE(gone, 2);
    EXPECT_LE(gone, 3);
    EXPECT_TRUE(Exists(folder)) << "a folder still holding files stays";
}

// A virtual machine's disk: 1 GiB long, a few MiB of data, holes elsewhere,
// on a disk with far less free than its length. Overwriting its data must not
// fill its holes: the disk never fills, the run goes on to the folder listed
// after it, and the data is gone from the medium.
TEST_F(OtherHomes, ASparseFileIsOverwrittenWithoutFillingItsHoles)
{
    const std::string why = MountExt4("ext4", 128);
    if (!why.empty())
        GTEST_SKIP() << Loudly("that overwriting a sparse file leaves its holes unallocated", why);
    Shredder.UseRunBlocks(CShredder::RunBlocks);
    const std::string image = tree / "ext4/vm.img";
    {
        std::string data;
        while (data.size() < (4u << 20))
            data += Marker;
        const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_EQ(::pwrite(fd, data.data(), data.size(), 0), static_cast<ssize_t>(data.size()));
        ASSERT_EQ(::pwrite(fd, Marker.data(), Marker.size(), std::int64_t{512} << 20),
                  static_cast<ssize_t>(Marker.size()));
        ASSERT_EQ(::ftruncate(fd, std::int64_t{1} << 30), 0);
        ::fsync(fd);
        ::close(fd);
    }
    MakeFolder(tree / "ext4/after");
    for (std::size_t i = 0; i < 3; ++i)
        WriteMarkerFile(tree / "ext4/after/" + Names[i], Lines[i]);
    // Takes the free space down to about 50 MiB.
    const std::int64_t filler = FreeBytes(tree / "ext4") - (std::int64_t{50} << 20);
    ASSERT_GT(filler, 0);
    ASSERT_TRUE(Shell("fallocate -l " + std::to_string(filler) + " " + tree / "ext4/filler"));
    ::sync();
    const std::int64_t before = FreeBytes(tree / "ext4");
    std::int64_t least = before;
    fs.afterWrite = [&](int) { least = std::min(least, FreeBytes(tree / "ext4")); };
    ListFile(image);
    ListFolder(tree / "ext4/after");
    std::string error;
    try {
        Shredder.Run(MethodBalanced);
    } catch (const Error& e) {
        error = e.what();
    }
    EXPECT_EQ(error, "") << "no error box";
    EXPECT_TRUE(view.Finished());
    EXPECT_GT(least, before - (std::int64_t{8} << 20)) << "the holes were filled: free fell from " << before;
    EXPECT_GE(FreeBytes(tree / "ext4"), before) << "the disk is left with less free than before";
    EXPECT_FALSE(Exists(image));
    for (const char* name : Names)
        EXPECT_FALSE(Exists(tree / "ext4/after/" + name)) << name;
    EXPECT_EQ(MarkersLeftIn("ext4"), 0u);
}

} // namespace
