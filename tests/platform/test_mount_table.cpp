#include "platform/FileSystems.h"
#include "platform/Media.h"
#include "platform/MountTable.h"
#include "platform/OldCopies.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

using namespace sorvex;

namespace {

struct LineCase {
    const char* line;
    std::uint64_t id;
    const char* root;
    const char* mountPoint;
    const char* type;
    const char* superOptions;
};

class MountLine : public testing::TestWithParam<LineCase> {};

// Optional fields come and go between the mount options and "-"; names
// with spaces stand escaped.
INSTANTIATE_TEST_SUITE_P(
    Lines, MountLine,
    testing::Values(LineCase{"36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue\n", 36,
                             "/mnt1", "/mnt2", "ext3", "rw,errors=continue"},
                    LineCase{"45 27 7:0 / /tmp/e rw,relatime - ext4 /dev/loop0 rw,nodelalloc,data=journal", 45, "/",
                             "/tmp/e", "ext4", "rw,nodelalloc,data=journal"},
                    LineCase{"48 27 0:40 / /a\\040b rw shared:3 master:2 - overlay overlay rw,lowerdir=/l1:/l2", 48,
                             "/", "/a b", "overlay", "rw,lowerdir=/l1:/l2"},
                    LineCase{"50 27 0:41 / /x rw - tmpfs tmpfs", 50, "/", "/x", "tmpfs", ""}));

TEST_P(MountLine, GivesItsFields)
{
    const auto entry = ParseMountLine(GetParam().line);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->id, GetParam().id);
    EXPECT_EQ(entry->root, GetParam().root);
    EXPECT_EQ(entry->mountPoint, GetParam().mountPoint);
    EXPECT_EQ(entry->type, GetParam().type);
    EXPECT_EQ(entry->superOptions, GetParam().superOptions);
}

TEST(MountTable, RefusesWhatIsNotALine)
{
    for (const char* line : {"", "x 27 0:40 / /m rw - overlay overlay rw", "36 35 98:0 /mnt1 /mnt2 rw,noatime"})
        EXPECT_FALSE(ParseMountLine(line)) << line;
}

// A bind mount shares its device with the mount it came from: only the id tells them apart.
TEST(MountTable, FindsAMountByIdAndOnlyWithoutOneByDevice)
{
    const std::string table = "20 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                              "30 20 8:1 /home/x /mnt/x rw - ext4 /dev/sda1 rw,data=journal\n";
    EXPECT_EQ(FindMount(table, 30, "8:1")->mountPoint, "/mnt/x");
    EXPECT_EQ(FindMount(table, 0, "8:1")->mountPoint, "/");
    EXPECT_FALSE(FindMount(table, 31, "8:1"));
}

struct OptionCase {
    const char* options;
    bool journal;
    std::vector<std::string> layers;
    const char* upper = "";
};

class SuperOptions : public testing::TestWithParam<OptionCase> {};

INSTANTIATE_TEST_SUITE_P(
    Options, SuperOptions,
    testing::Values(OptionCase{"rw", false, {}}, OptionCase{"rw,data=journal", true, {}},
                    OptionCase{"rw,data=journalled", false, {}}, OptionCase{"data=ordered,nojournal", false, {}},
                    OptionCase{"rw,lowerdir=/l1:/l2,upperdir=/u,workdir=/w", false, {"/l1", "/l2"}, "/u"},
                    OptionCase{"rw,upperdir=/u\\040v,upperdirx=/x", false, {}, "/u v"},
                    OptionCase{"rw,lowerdir=/a\\:b:/c\\\\d", false, {"/a:b", "/c\\d"}},
                    OptionCase{"rw,lowerdir=/a\\054b:/c\\040d", false, {"/a,b", "/c d"}},
                    OptionCase{"rw,lowerdir=/l1::/data", false, {"/l1", "/data"}},
                    OptionCase{"rw,lowerdir+=/l1,lowerdir+=/l:2,datadir+=/d", false, {"/l1", "/l:2"}}));

TEST_P(SuperOptions, TellJournalAndLowerLayers)
{
    EXPECT_EQ(HasOption(GetParam().options, "data=journal"), GetParam().journal);
    EXPECT_EQ(LowerLayers(GetParam().options), GetParam().layers);
    EXPECT_EQ(OptionValue(GetParam().options, "upperdir"), GetParam().upper);
}

TEST(MountTable, SwapIsOnWhenAnAreaFollowsTheHeader)
{
    const std::string header = "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n";
    EXPECT_FALSE(ListsSwap(""));
    EXPECT_FALSE(ListsSwap(header));
    EXPECT_FALSE(ListsSwap(header + "\n"));
    EXPECT_TRUE(ListsSwap(header + "/swapfile                               file\t\t1048572\t\t0\t\t-2\n"));
}

struct ClassCase {
    unsigned long magic;
    const char* type;
    const char* options;
    bool swap;
    bool journalsData;
    bool swapsOut;
};

class Homes : public testing::TestWithParam<ClassCase> {};

// ramfs is never written to swap; devtmpfs is never written at all.
INSTANTIATE_TEST_SUITE_P(Kinds, Homes,
                         testing::Values(ClassCase{0xEF53, "ext4", "rw,data=journal", true, true, false},
                                         ClassCase{0xEF53, "ext3", "rw,data=journal", false, true, false},
                                         ClassCase{0xEF53, "ext4", "rw", true, false, false},
                                         ClassCase{0xEF53, "ext2", "rw,data=journal", false, false, false},
                                         ClassCase{0x01021994, "tmpfs", "rw", true, false, true},
                                         ClassCase{0x01021994, "tmpfs", "rw", false, false, false},
                                         ClassCase{0x01021994, "devtmpfs", "rw", true, false, false},
                                         ClassCase{0x858458f6, "ramfs", "rw", true, false, false}));

TEST_P(Homes, OfAFileSystem)
{
    const ClassCase& c = GetParam();
    const FileSystemInfo info = ClassifyFileSystem(c.magic, c.type, c.options, c.swap);
    EXPECT_EQ(info.journalsData, c.journalsData);
    EXPECT_EQ(info.swapsOut, c.swapsOut);
}

struct TraceCase {
    unsigned long magic;
    const char* type;
    bool wiped; // the kernel wipes removed ext3/ext4 entries
    NameTrace names;
    bool together;
    bool keepsAttributes;
};

class Traces : public testing::TestWithParam<TraceCase> {};

INSTANTIATE_TEST_SUITE_P(Kinds, Traces,
                         testing::Values(TraceCase{0xEF53, "ext4", true, NameTrace::Journal, true, true},
                                         TraceCase{0xEF53, "ext4", false, NameTrace::FolderBlocks, true, true},
                                         TraceCase{0xEF53, "ext2", true, NameTrace::FolderBlocks, true, true},
                                         TraceCase{0x58465342, "xfs", true, NameTrace::FolderBlocks, true, true},
                                         TraceCase{0x9123683E, "btrfs", true, NameTrace::Copies, false, true},
                                         TraceCase{0x4d44, "vfat", true, NameTrace::FolderBlocks, false, true},
                                         TraceCase{0x01021994, "tmpfs", true, NameTrace::None, false, false},
                                         TraceCase{0x9fa0, "proc", true, NameTrace::None, false, false}));

TEST_P(Traces, OfRemovedNamesAndAttributes)
{
    const TraceCase& c = GetParam();
    const FileSystemInfo info = ClassifyFileSystem(c.magic, c.type, "rw", false, c.wiped);
    EXPECT_EQ(info.names, c.names);
    EXPECT_EQ(info.namesTogether, c.together);
    EXPECT_EQ(info.keepsOldAttributes, c.keepsAttributes);
}

TEST(Traces, KernelsFrom513OnWipeRemovedEntries)
{
    for (const char* release : {"5.13.0", "6.1.0-18-amd64", "10.0"})
        EXPECT_TRUE(WipesRemovedEntries(release)) << release;
    for (const char* release : {"5.12.19", "4.19.0-26-amd64", "", "x.y"})
        EXPECT_FALSE(WipesRemovedEntries(release)) << release;
}

// Block devices as /sys/dev/block shows them, made up: a partition is
// flash by its disk, a mapped device by a device below it, a loop device by
// the device holding its file.
TEST(Media, FlashIsToldThroughPartitionsMappedAndLoopDevices)
{
    const TempTree sys;
    const auto device = [&](const std::string& folder, const std::string& number, const char* rotational) {
        MakeFolder(sys / folder);
        MakeFolder(sys / folder + "/queue");
        WriteFile(sys / folder + "/queue/rotational", rotational);
        WriteFile(sys / folder + "/dev", number);
        ASSERT_EQ(symlink((sys / folder).c_str(), (sys / number).c_str()), 0);
    };
    struct stat here;
    ASSERT_EQ(stat(sys.path().c_str(), &here), 0);
    const std::string holder = std::to_string(major(here.st_dev)) + ":" + std::to_string(minor(here.st_dev));
    device("ssd", "8:0", "0\n");
    device("disk", "8:16", "1\n");
    device("mapped", "254:7", "1\n");
    device("loop", "7:0", "1\n");
    device("holder", holder, "0\n"); // the device of the loop's file
    MakeFolder(sys / "ssd/ssd1");
    WriteFile(sys / "ssd/ssd1/partition", "1");
    WriteFile(sys / "ssd/ssd1/dev", "8:1");
    ASSERT_EQ(symlink((sys / "ssd/ssd1").c_str(), (sys / "8:1").c_str()), 0);
    MakeFolder(sys / "mapped/slaves");
    ASSERT_EQ(symlink((sys / "8:1").c_str(), (sys / "mapped/slaves/ssd1").c_str()), 0);
    MakeFolder(sys / "loop/loop");
    WriteFile(sys / "loop/loop/backing_file", sys / "holder/dev\n");
    for (const char* flash : {"8:0", "8:1", "254:7"})
        EXPECT_TRUE(OnFlash(sys.path(), flash)) << flash;
    EXPECT_EQ(OnFlash(sys.path(), "7:0"), major(here.st_dev) != 0) << "a file on a file system without a device";
    for (const char* rotating : {"8:16", "9:9", ""})
        EXPECT_FALSE(OnFlash(sys.path(), rotating)) << rotating;
}

struct LayerPathCase {
    const char* root;
    const char* mountPoint;
    const char* folder;
    const char* expected; // nullptr: not below the mount
};

class LayerPath : public testing::TestWithParam<LayerPathCase> {};

INSTANTIATE_TEST_SUITE_P(
    Paths, LayerPath,
    testing::Values(LayerPathCase{"/", "/m", "/m", "/f"}, LayerPathCase{"/", "/m", "/m/a/b", "/a/b/f"},
                    LayerPathCase{"/sub", "/m", "/m/a", "/sub/a/f"}, LayerPathCase{"/", "/", "/a", "/a/f"},
                    LayerPathCase{"/", "/m", "/mm/a", nullptr}, LayerPathCase{"/", "/m", "/other", nullptr}));

TEST_P(LayerPath, IsTheFilesPathBelowTheOverlaysRoot)
{
    MountEntry overlay;
    overlay.root = GetParam().root;
    overlay.mountPoint = GetParam().mountPoint;
    const auto inside = PathInLayers(overlay, GetParam().folder, "f");
    if (GetParam().expected == nullptr)
        EXPECT_FALSE(inside) << *inside;
    else
        EXPECT_EQ(inside.value_or("(none)"), GetParam().expected);
}

} // namespace
