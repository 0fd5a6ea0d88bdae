// Files reached twice through the list, and files with holes.
#include "engine/Holes.h"
#include "tests/support/EngineTest.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace sorvex;

namespace {

// Two entries that reach the same files, spelt the way the case says; tree
// holds d/f, d/sub/g and a link l to d.
struct Spelling {
    const char* name;
    std::vector<std::string> entries; // "x/" lists folder x, otherwise a file
};

class ReachedTwice : public EngineTest, public testing::WithParamInterface<Spelling> {};

} // namespace

TEST_P(ReachedTwice, IsDestroyedOnceWithNoErrorAndNothingLeft)
{
    MakeFolder(tree / "d");
    MakeFolder(tree / "d/sub");
    WriteFile(tree / "d/f", "first");
    WriteFile(tree / "d/sub/g", "second");
    ASSERT_EQ(symlink((tree / "d").c_str(), (tree / "l").c_str()), 0);
    for (const std::string& entry : GetParam().entries) {
        if (entry.back() == '/')
            ListFolder(tree / entry.substr(0, entry.size() - 1));
        else
            ListFile(tree / entry);
    }
    Shredder.Run(MethodBalanced);
    EXPECT_FALSE(Exists(tree / "d/f"));
    EXPECT_TRUE(Shredder.Report().Empty()) << Shredder.Report().items[0].path;
    std::vector<std::string> opened = fs.opened;
    std::sort(opened.begin(), opened.end());
    EXPECT_EQ(std::adjacent_find(opened.begin(), opened.end()), opened.end()) << "a file opened twice";
    EXPECT_TRUE(Exists(tree / "l")) << "the link was not listed";
}

INSTANTIATE_TEST_SUITE_P(Spellings, ReachedTwice,
                         testing::Values(Spelling{"DotInTheFolderPath", {"d/", "d/./"}},
                                         Spelling{"FolderThenAFileInItThroughALink", {"d/", "l/f", "l/sub/g"}},
                                         Spelling{"FileThroughALinkThenItsFolder", {"l/sub/g", "l/f", "d/"}},
                                         Spelling{"SubfolderThroughALinkThenItsFolder", {"l/sub/", "d/"}},
                                         Spelling{"SubfolderThenItsFolderThenItThroughALink",
                                                  {"d/sub/", "d/", "l/sub/"}},
                                         Spelling{"SameFileTwoWays", {"d/f", "l/f", "d/./f", "l/sub/g", "d/sub/g"}}),
                         [](const testing::TestParamInfo<Spelling>& tested) { return tested.param.name; });

// Hard links are names of their own: each listed name goes, and its content
// is overwritten once, under the last of them.
TEST_F(EngineTest, HardLinksInTwoListedFoldersAreEachRemoved)
{
    MakeFolder(tree / "a");
    MakeFolder(tree / "b");
    WriteFile(tree / "a/f", "shared");
    ASSERT_EQ(link((tree / "a/f").c_str(), (tree / "b/f").c_str()), 0);
    ListFolder(tree / "a");
    ListFolder(tree / "b");
    Shredder.Run(MethodBalanced);
    EXPECT_FALSE(Exists(tree / "a/f"));
    EXPECT_FALSE(Exists(tree / "b/f"));
    EXPECT_TRUE(Shredder.Report().Empty());
    EXPECT_EQ(fs.opened, std::vector<std::string>{tree / "b/f"});
}

namespace {

struct HoleCase {
    const char* name;
    std::vector<ByteRange> data;
    std::int64_t size;
    std::vector<BlockSpan> spans;
};

class Holes : public testing::TestWithParam<HoleCase> {};

} // namespace

TEST_P(Holes, OnlyBlocksHoldingDataAndTheBlockPastAWholeEnd)
{
    EXPECT_EQ(BlocksToWrite(GetParam().data, GetParam().size), GetParam().spans);
}

INSTANTIATE_TEST_SUITE_P(Ranges, Holes,
                         testing::Values(HoleCase{"Empty", {}, 0, {{0, 1}}},
                                         HoleCase{"NoHoles", {{0, 1000}}, 1000, {{0, 4}}},
                                         HoleCase{"WholeBlocks", {{0, 512}}, 512, {{0, 3}}},
                                         HoleCase{"AllHole", {}, 1 << 20, {{4096, 1}}},
                                         HoleCase{"AllHoleRagged", {}, 1000, {}},
                                         HoleCase{"DataThenHole", {{0, 4096}}, 8192, {{0, 16}, {32, 1}}},
                                         HoleCase{"HoleThenData", {{4096, 4096}}, 8192, {{16, 17}}},
                                         HoleCase{"UnalignedData", {{300, 10}, {700, 100}}, 1000, {{1, 3}}},
                                         HoleCase{"DataPastTheSize", {{0, 9000}}, 1000, {{0, 4}}}),
                         [](const testing::TestParamInfo<HoleCase>& tested) { return tested.param.name; });

// A sparse image keeps its holes: its data is overwritten, nothing else is
// written, so a nearly full disk does not fill up.
TEST_F(EngineTest, ASparseFileHasItsDataOverwrittenAndItsHolesLeftHoles)
{
    const std::string path = tree / "image";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    const std::string data(4096, 'x');
    constexpr off_t Far = off_t{4} << 20;
    ASSERT_EQ(pwrite(fd, data.data(), data.size(), 0), 4096);
    ASSERT_EQ(pwrite(fd, data.data(), data.size(), Far), 4096);
    ASSERT_EQ(ftruncate(fd, Far * 2), 0);
    close(fd);
    std::int64_t written = 0;
    fs.afterWrite = [&](int) { ++written; };
    ListFile(path);
    Shredder.UseRunBlocks(CShredder::RunBlocks);
    Shredder.Run(MethodBalanced);
    const std::string left = fs.contentAtRemoval[path];
    ASSERT_EQ(left.size(), static_cast<std::size_t>(Far * 2 + 2 * 256)) << "a block past the end per pass";
    EXPECT_EQ(left.substr(0, 4096), std::string(4096, '0'));
    EXPECT_EQ(left.substr(static_cast<std::size_t>(Far), 4096), std::string(4096, '0'));
    EXPECT_EQ(left.substr(4096, 4096), std::string(4096, '\0')) << "a hole was written";
    EXPECT_LE(written, 2 * 4) << "two data stretches and the block past the end, per pass";
}
