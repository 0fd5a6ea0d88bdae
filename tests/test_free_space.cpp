// A wipe of the free space on a file system that the tests make up: how it
// ends when the file system is read-only, full, another user's or busy, when a
// write fails or the disk fills up, when it is stopped; that it keeps the
// reserve, writes the journal over and always removes what it made.
#include "engine/FreeSpaceWipe.h"
#include "tests/support/EngineTest.h"
#include "tests/support/FakeSpace.h"

#include <sys/stat.h>

using namespace sorvex;

namespace {

constexpr std::int64_t MiB = 1 << 20;

struct EndCase {
    const char* label;
    void (*arrange)(FakeSpace& space, RecordingView& view);
    WipeEnd end;
    std::int64_t bytes; // written over
    bool names; // any made
};

void AsIs(FakeSpace&, RecordingView&) {}

const EndCase EndCases[] = {
    {"Wiped", AsIs, WipeEnd::Wiped, 8 * MiB, true},
    {"ReadOnly", [](FakeSpace& space, RecordingView&) { space.room.readOnly = true; }, WipeEnd::ReadOnly, 0, false},
    {"Full", [](FakeSpace& space, RecordingView&) { space.room.available = 0; }, WipeEnd::Full, 0, false},
    {"InMemory", [](FakeSpace& space, RecordingView&) { space.place.notADisk = true; }, WipeEnd::NotADisk, 0, false},
    {"AnotherUsers", [](FakeSpace& space, RecordingView&) { space.folderFault = SpaceFault::Denied; }, WipeEnd::Denied,
     0, false},
    {"RootKeepsItsLastPercent",
     [](FakeSpace& space, RecordingView&) {
         space.place.keepsLastPercent = true;
         space.room.size = 400 * MiB; // 4 MiB kept of the 8 free
     },
     WipeEnd::Wiped, 4 * MiB, true},
    {"WriteFails",
     [](FakeSpace& space, RecordingView&) {
         space.fillFault = [](int fill) { return fill == 3 ? SpaceFault::Failed : SpaceFault::None; };
     },
     WipeEnd::Failed, 2 * MiB, false},
    {"DiskFillsUpFirst",
     [](FakeSpace& space, RecordingView&) {
         space.fillFault = [](int fill) { return fill >= 6 ? SpaceFault::Full : SpaceFault::None; };
     },
     WipeEnd::Wiped, 5 * MiB, true},
    {"StoppedWritingData",
     [](FakeSpace& space, RecordingView& view) {
         space.afterFill = [&view](int fill) {
             if (fill == 3)
                 view.StopInNextPump();
         };
     },
     WipeEnd::Stopped, 3 * MiB, false},
    {"WithoutUnnamedFiles", [](FakeSpace& space, RecordingView&) { space.noUnnamed = true; }, WipeEnd::Wiped, 8 * MiB,
     true},
};

class Wipe : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        Shredder.UseFreeSpaceServices(space);
    }
    void TearDown() override
    {
        Shredder.UseFreeSpaceServices(SystemFreeSpace());
        EngineTest::TearDown();
    }
    FakeSpace space;
};

class Ends : public Wipe, public testing::WithParamInterface<EndCase> {};

INSTANTIATE_TEST_SUITE_P(Wipes, Ends, testing::ValuesIn(EndCases),
                         [](const auto& tested) { return std::string(tested.param.label); });

} // namespace

// Whatever the end, the wipe ran its closing steps, gave every byte back and
// left nothing in the folder named; a file system it cannot write is not attempted.
TEST_P(Ends, EveryEndIsToldAndLeavesNothingBehind)
{
    GetParam().arrange(space, view);
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
    EXPECT_EQ(space.guards, GetParam().bytes > 0 ? 1 : 0) << "the guard comes before the first byte";
    EXPECT_EQ(space.namedFiles > 0, space.noUnnamed && GetParam().bytes > 0);
}

struct JournalCase {
    const char* label;
    Journal start;
    void (*moves)(Journal& journal); // at every look after the first
    int rounds;
};

// The head, 200 blocks a round in a journal of 1000.
void MovesAFifthOfALap(Journal& journal)
{
    journal.block += 200;
    journal.cycle += journal.block / 1000;
    journal.block %= 1000;
}

class Journals : public Wipe, public testing::WithParamInterface<JournalCase> {};

INSTANTIATE_TEST_SUITE_P(Kinds, Journals,
                         testing::Values(JournalCase{"ByLength", Journal{true, 1 << 20}, nullptr, 9},
                                         JournalCase{"ByItsHead", Journal{true, 0, true, 7, 500}, MovesAFifthOfALap,
                                                     5}),
                         [](const auto& tested) { return std::string(tested.param.label); });

// The inodes of the pool are written again, round after round, until the
// journal has come round once (where its head is told) or until the rounds
// have written more than it holds (1 MiB here: 128 bytes an inode, at least).
TEST_P(Journals, TheJournalIsWrittenOverFromEndToEnd)
{
    const JournalCase& row = GetParam();
    space.journal = row.start;
    space.journalMoves = row.moves;
    Shredder.WipeFreeSpace({tree.path()});
    ASSERT_EQ(view.wipeReports.size(), 1u);
    const WipeReport::FileSystem& wiped = view.wipeReports[0].fileSystems.at(0);
    EXPECT_EQ(space.names, 1000);
    EXPECT_EQ(space.touches, row.rounds * 1000);
    EXPECT_TRUE(wiped.hasJournal);
    EXPECT_TRUE(wiped.journalTurned);
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
    EXPECT_EQ(space.filled, 8 * MiB);
}

// What a run leaves in blocks it gave back is in the free space; what a file
// still holds is not. Each such path's folder is offered once.
TEST(WipeReaches, OnlyWhatWentFreeWithAFile)
{
    RunReport report;
    report.Add("/cow/a", Remains::NotInPlace);
    report.Add("/cow/b", Remains::Stopped);
    report.Add("/kept/c", Remains::OtherNames);
    report.Add("/ext/journal/d", Remains::Journalled);
    report.Add("/unread/", Remains::FolderUnreadable);
    report.Add("/swap/e", Remains::Swapped);
    EXPECT_EQ(FoldersToWipe(report), (std::vector<std::string>{"/cow/", "/ext/journal/"}));
}
