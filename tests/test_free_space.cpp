// A wipe of the free space on a file system that the tests make up: how it
// ends when the file system is read-only, full, another user's or in memory,
// when a write fails or the disk fills up, when it is stopped; that it keeps
// the reserve, writes the journal over and always removes what it made.
#include "engine/FreeSpaceWipe.h"
#include "tests/support/EngineTest.h"
#include "tests/support/FakeSpace.h"

#include <sys/stat.h>

using namespace sorvex;

namespace {

constexpr std::int64_t MiB = 1 << 20;
constexpr std::int64_t Names = 1000 * 2048; // the fake's 1000 inodes, each a small file of noise

struct EndCase {
    const char* label;
    void (*arrange)(FakeSpace& space);
    WipeEnd end;
    std::int64_t bytes; // written over: the data, and the small files' noise
    bool names; // any made
    int rounds = 0; // of the pool's inodes written again to turn the journal over
};

const EndCase EndCases[] = {
    {"Wiped", [](FakeSpace&) {}, WipeEnd::Wiped, 8 * MiB + Names, true},
    {"ReadOnly", [](FakeSpace& space) { space.room.readOnly = true; }, WipeEnd::ReadOnly, 0, false},
    {"Full", [](FakeSpace& space) { space.room.available = 0; }, WipeEnd::Full, 0, false},
    {"InMemory", [](FakeSpace& space) { space.place.notADisk = true; }, WipeEnd::NotADisk, 0, false},
    {"AnotherUsers", [](FakeSpace& space) { space.folderFault = SpaceFault::Denied; }, WipeEnd::Denied, 0, false},
    {"RootKeepsItsLastPercent", // 4 MiB of 400 kept of the 8 free
     [](FakeSpace& space) { space.place.keepsLastPercent = true, space.room.size = 400 * MiB; }, WipeEnd::Wiped,
     4 * MiB + Names, true},
    {"WriteFails", [](FakeSpace& space) { space.failAt = 3; }, WipeEnd::Failed, 2 * MiB, false},
    {"DiskFillsUpFirst", [](FakeSpace& space) { space.fullFrom = 6; }, WipeEnd::Wiped, 5 * MiB, true},
    {"StoppedWritingData", [](FakeSpace& space) { space.stopAt = 3; }, WipeEnd::Stopped, 3 * MiB, false},
    {"WithoutUnnamedFiles", // two of the inodes (512 bytes each) go to the data's files
     [](FakeSpace& space) { space.noUnnamed = true; }, WipeEnd::Wiped, 8 * MiB - 2 * 512 + Names - 2 * 2048, true},
    // Until the rounds have written more than the journal holds (1 MiB: 128
    // bytes an inode, at least), or until its head has come round once.
    {"JournalByItsLength",
     [](FakeSpace& space) {
         space.journal = {true, 1 << 20};
     },
     WipeEnd::Wiped, 8 * MiB + Names, true, 9},
    {"JournalByItsHead",
     [](FakeSpace& space) {
         space.journal = {true, 0, true, 7, 500}, space.headMoves = 200;
     },
     WipeEnd::Wiped, 8 * MiB + Names, true, 5},
};

class Wipe : public EngineTest {
protected:
    FakeSpace space;
};

class Ends : public Wipe, public testing::WithParamInterface<EndCase> {};

INSTANTIATE_TEST_SUITE_P(Wipes, Ends, testing::ValuesIn(EndCases),
                         [](const auto& tested) { return std::string(tested.param.label); });

} // namespace

// Whatever the end, the wipe ran its closing steps, gave every byte back and
// left nothing in the folder named; a file system it cannot write is not
// attempted; where there is a journal, it is written over.
TEST_P(Ends, EveryEndIsToldAndLeavesNothingBehind)
{
    GetParam().arrange(space);
    Shredder.WipeFreeSpace({tree.path()});
    EXPECT_TRUE(view.Finished());
    EXPECT_FALSE(Shredder.Stop);
    ASSERT_EQ(view.wipeReports.size(), 1u);
    const WipeReport::FileSystem& wiped = view.wipeReports[0].fileSystems.at(0);
    EXPECT_EQ(wiped.end, GetParam().end);
    EXPECT_EQ(wiped.bytes, GetParam().bytes);
    EXPECT_EQ(wiped.names > 0, GetParam().names);
    EXPECT_EQ(space.filled, GetParam().bytes);
    EXPECT_EQ(space.Held(), 0);
    EXPECT_EQ(view.label, "/fake");
    EXPECT_FALSE(Exists(tree / ".sorvex-free-space"));
    EXPECT_EQ(space.touches, GetParam().rounds * space.names);
    EXPECT_EQ(wiped.journalTurned, GetParam().rounds > 0);
}

// A leftover of a wipe that ended unseen goes before the wipe begins; a
// folder of that name that is not a wipe's of this user stays as it is.
TEST_F(Wipe, ALeftoverIsRemovedAndAFolderNotOursIsLeftAlone)
{
    for (const mode_t mode : {mode_t{0700}, mode_t{0755}}) {
        view = RecordingView();
        MakeFolder(tree / ".sorvex-free-space");
        MakeFolder(tree / ".sorvex-free-space/n0");
        WriteFile(tree / ".sorvex-free-space/n0/name", "");
        WriteFile(tree / ".sorvex-free-space/data-1", "noise");
        ASSERT_EQ(::chmod((tree / ".sorvex-free-space").c_str(), mode), 0);
        Shredder.WipeFreeSpace({tree.path()});
        const bool ours = mode == 0700;
        EXPECT_EQ(view.wipeReports.at(0).fileSystems.at(0).end, ours ? WipeEnd::Wiped : WipeEnd::Denied);
        EXPECT_EQ(Exists(tree / ".sorvex-free-space/data-1"), !ours);
        RemoveTree(tree / ".sorvex-free-space");
    }
}

// Each file system once, however many of its folders are named; a folder
// that cannot be opened is told as such.
TEST_F(Wipe, EachFileSystemIsWipedOnce)
{
    MakeFolder(tree / "a");
    Shredder.WipeFreeSpace({tree / "a", tree.path(), tree / "missing"});
    ASSERT_EQ(view.wipeReports.size(), 1u);
    const auto& wiped = view.wipeReports[0].fileSystems;
    ASSERT_EQ(wiped.size(), 2u);
    EXPECT_EQ(wiped[0].folder, tree / "a");
    EXPECT_EQ(wiped[0].end, WipeEnd::Wiped);
    EXPECT_EQ(wiped[1].end, WipeEnd::Unopened);
    EXPECT_EQ(space.filled, 8 * MiB + Names);
}

// What went free with a file is wiped on its folder's file system; what is
// said of a file system, on the one at its mount point; each folder once.
TEST(FoldersToWipe, TheFoldersOfWhatWentFreeEachOnce)
{
    RunReport report;
    for (const auto& [path, why] : {std::pair{"/cow/a", Remains::NotInPlace},
                                    {"/cow/b", Remains::Stopped},
                                    {"/kept/c", Remains::OtherNames},
                                    {"/mnt/xfs", Remains::NamesInFolderBlocks},
                                    {"/mnt/ssd", Remains::Flash}})
        report.Add(path, why);
    EXPECT_EQ(FoldersToWipe(report), (std::vector<std::string>{"/cow/", "/mnt/xfs/"}));
}
