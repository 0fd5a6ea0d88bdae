// Expanding the list of entries into the flat list of files a run destroys.
#include "engine/FolderPath.h"
#include "tests/support/EngineTest.h"

#include <filesystem>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace sorvex;

using Expansion = EngineTest;
using E = ObservedServices::Entry;

TEST_F(Expansion, DepthFirstInEnumerationOrderWithEachSubfolderAtItsPlace)
{
    fs.scriptedOnly = true;
    fs.folders["/r/d/"] = {E{"x", false}, E{"sub", true}, E{".", true}, E{"y", false}, E{"empty", true}};
    fs.folders["/r/d/sub/"] = {E{"z2", false}, E{"deeper", true}, E{"z1", false}};
    fs.folders["/r/d/sub/deeper/"] = {E{"w", false}};
    fs.folders["/r/d/empty/"] = {};
    ListFile("/r/a.txt");
    ListFolder("/r/d");
    ListFile("/r/e.txt");
    Shredder.Run(NoMethod);
    EXPECT_EQ(Files(), (std::vector<std::string>{"/r/a.txt", "/r/d/x", "/r/d/sub/z2", "/r/d/sub/deeper/w",
                                                 "/r/d/sub/z1", "/r/d/y", "/r/e.txt"}));
    EXPECT_TRUE(fs.NothingTouched());
}

TEST_F(Expansion, EachPathIsHeldOnceAtItsFirstPlace)
{
    fs.scriptedOnly = true;
    fs.folders["/r/"] = {E{"a", false}, E{"s", true}};
    fs.folders["/r/s/"] = {E{"b", false}};
    ListFile("/r/s/b"); // also found below /r/
    ListFolder("/r");
    ListFolder("/r"); // the same folder twice
    ListFolder("/r/s"); // and one of its subfolders
    Shredder.Run(NoMethod);
    EXPECT_EQ(Files(), (std::vector<std::string>{"/r/a", "/r/s/b"}));
}

// Entries apart from each other are expanded without looking their paths up;
// wherever one entry may meet another, or a folder names something twice (as
// one changing under the scan can), each path is still held once.
TEST_F(Expansion, OverlappingEntriesAndRepeatedNamesStillHoldEachPathOnce)
{
    fs.scriptedOnly = true;
    fs.folders["/r/"] = {E{"f", false}, E{"s", true}, E{"f", false}, E{"s", true}, E{"s/g", false}};
    fs.folders["/r/s/"] = {E{"g", false}, E{"h", false}};
    fs.folders["/t/"] = {E{"u", true}, E{"v", false}};
    fs.folders["/t/u/"] = {E{"w", false}, E{"w", false}};
    ListFolder("/r");
    ListFolder("/t/u"); // below another listed folder
    ListFolder("/t");
    ListFile("/t/v"); // in a listed folder
    ListFile("/z");
    ListFile("/z");
    Shredder.Run(NoMethod);
    std::vector<std::string> files = Files();
    ASSERT_GE(files.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(files.begin(), files.begin() + 3),
              (std::vector<std::string>{"/r/f", "/r/s/g", "/r/s/h"}));
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"/r/f", "/r/s/g", "/r/s/h", "/t/u/w", "/t/v", "/z"}));
}

TEST_F(Expansion, UnreadableAndVanishedFoldersContributeNothing)
{
    fs.scriptedOnly = true;
    fs.folders["/r/"] = {E{"locked", true}, E{"f", false}};
    ListFolder("/r");
    ListFolder("/gone");
    Shredder.Run(NoMethod);
    EXPECT_EQ(Files(), std::vector<std::string>{"/r/f"});
    EXPECT_EQ(fs.listed, std::vector<std::string>{"/r/"});
    ASSERT_EQ(Shredder.Report().items.size(), 2u) << "neither goes unsaid";
    EXPECT_EQ(Shredder.Report().items[0].path, "/gone/");
    EXPECT_EQ(Shredder.Report().items[1].path, "/r/locked/");
    for (const RunReport::Item& item : Shredder.Report().items)
        EXPECT_EQ(item.why, Remains::FolderUnreadable);
}

TEST_F(Expansion, RealTreeHiddenEntriesDotFoldersLinksAndRawNames)
{
    const std::string root = tree.path();
    const std::string outside = tree / "outside";
    MakeFolder(outside);
    WriteFile(outside + "/keep", "outside");
    const std::string top = tree / "top";
    MakeFolder(top);
    WriteFile(top + "/.hidden", "h");
    MakeFolder(top + "/.dotfolder");
    WriteFile(top + "/.dotfolder/inner", "i");
    MakeFolder(top + "/emptyfolder");
    const std::string raw = top + "/bad\xff\xfe name";
    WriteFile(raw, "raw");
    ASSERT_EQ(symlink(outside.c_str(), (top + "/link-to-folder").c_str()), 0);
    ASSERT_EQ(symlink((outside + "/keep").c_str(), (top + "/link-to-file").c_str()), 0);
    ListFolder(top);
    Shredder.Run(NoMethod);
    std::vector<std::string> files = Files();
    std::sort(files.begin(), files.end());
    std::vector<std::string> expected = {top + "/.dotfolder/inner", top + "/.hidden", raw, top + "/link-to-file",
                                         top + "/link-to-folder"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected);
    for (const std::string& listed : fs.listed)
        EXPECT_EQ(listed.rfind(top, 0), 0u) << "listed outside the chosen folder: " << listed;
}

// Only the listed folder itself may be reached through a link: the user chose it.
TEST_F(Expansion, NoFolderBelowAListedOneIsListedThroughALink)
{
    MakeFolder(tree / "top");
    MakeFolder(tree / "top/sub");
    MakeFolder(tree / "top/sub/deeper");
    ListFolder(tree / "top");
    Shredder.Run(NoMethod);
    ASSERT_EQ(fs.listed.size(), 3u);
    EXPECT_EQ(fs.openedByPath, std::vector<std::string>{tree / "top/"}) << "the rest from the folder above";
}

TEST_F(Expansion, FolderEntryWithoutSeparatorGetsOne)
{
    fs.scriptedOnly = true;
    fs.folders["/r/"] = {E{"f", false}};
    view.entries.push_back({"/r", EntryKind::Folder});
    Shredder.Run(NoMethod);
    EXPECT_EQ(Files(), std::vector<std::string>{"/r/f"});
}

// Two thousand folders deep, forking at 1,790 into two branches that are each
// reached again from the fork, far below the folders kept open: no deep
// stack, and never more than a few dozen folders open at once.
TEST_F(Expansion, TwoThousandFoldersDeepNeedNoDeepStackAndFewDescriptors)
{
    // Made relative to a descriptor, so no path grows past the system's limit.
    const auto chain = [](int current, const char* name, int levels) {
        for (int level = 0; level < levels; ++level) {
            EXPECT_EQ(mkdirat(current, name, 0755), 0);
            const int next = openat(current, name, O_RDONLY | O_DIRECTORY);
            close(current);
            current = next;
        }
        return current;
    };
    const int fork = chain(open(tree.path().c_str(), O_RDONLY | O_DIRECTORY), "d", 1790);
    for (const char* branch : {"d", "e"}) {
        const int deepest = chain(dup(fork), branch, 210);
        close(openat(deepest, "bottom", O_WRONLY | O_CREAT, 0644));
        close(deepest);
    }
    close(fork);
    ListFolder(tree.path());
    Shredder.Run(MethodFast);
    EXPECT_LE(fs.mostFoldersOpen, FolderPath::MaxOpen);
    EXPECT_EQ(fs.removed.size(), 2u);
    EXPECT_TRUE(view.reports.empty());
    EXPECT_EQ(fs.listed.size(), 1u + 1790 + 2 * 210);
}

TEST_F(Expansion, StopInThePumpOfADeepScanEndsItBeforeAnyFileIsTouched)
{
    fs.scriptedOnly = true;
    std::string folder = "/r/";
    for (int level = 0; level < 50; ++level) {
        fs.folders[folder] = {E{"f", false}, E{"d", true}, E{"g", false}};
        folder += "d/";
    }
    ListFile("/a-file-before");
    ListFolder("/r");
    ListFile("/z-file-after");
    // The stop waits in the queue from the moment the 10th folder is listed;
    // the pump that ends the deepest folder's scan runs it.
    fs.afterList = [this](const std::string&) {
        if (fs.listed.size() == 10)
            view.StopInNextPump();
    };
    Shredder.Run(MethodBalanced);
    EXPECT_TRUE(fs.NothingTouched());
    EXPECT_FALSE(Shredder.Stop);
    EXPECT_EQ(view.label, "Идёт подготовка к удалению.");
    EXPECT_EQ(fs.listed.size(), 50u) << "the scan went down to the deepest folder first";
    // Every folder scan under way returned at its next entry: no "g" was reached.
    const std::vector<std::string> files = Files();
    EXPECT_EQ(std::count_if(files.begin(), files.end(), [](const std::string& p) { return p.ends_with("/g"); }), 0);
    EXPECT_EQ(files.front(), "/a-file-before");
    EXPECT_NE(files.back(), "/z-file-after");
    EXPECT_EQ(view.closingSteps, 0) << "the page is left as the stop made it";
}

TEST_F(Expansion, StopAlreadySetEmptiesTheListAndReadsNothing)
{
    Shredder.Files.Append("/left/over");
    ListFolder(tree.path());
    Shredder.Stop = true;
    Shredder.Run(MethodBalanced);
    EXPECT_TRUE(Files().empty());
    EXPECT_TRUE(fs.listed.empty());
    EXPECT_FALSE(Shredder.Stop);
}

TEST_F(Expansion, UnknownMethodCodeExpandsAndTouchesNothing)
{
    const std::string file = tree / "f";
    WriteFile(file, "data");
    ListFile(file);
    for (int code : {0, 5, -1}) {
        Shredder.Run(code);
        EXPECT_EQ(Files(), std::vector<std::string>{file});
        EXPECT_TRUE(fs.NothingTouched());
        EXPECT_EQ(ReadFile(file), "data");
        EXPECT_EQ(view.closingSteps, 0) << "the page keeps its running state";
    }
}

namespace {

// Items of a Trash: H/ the home one (data/Trash), D/ and S/ other file
// systems' (mnt/.Trash-@, mnt/.Trash/@; "@" the user's id). Each path is made,
// holding a line, before the run; "x/" lists folder x.
struct TrashCase {
    const char* name;
    const char* listed;
    const char* gone;
    const char* kept;
};

class TrashItems : public EngineTest, public testing::WithParamInterface<TrashCase> {
protected:
    std::vector<std::string> Paths(const char* words) const
    {
        std::vector<std::string> paths;
        std::istringstream in(words);
        for (std::string word; in >> word; paths.push_back(tree / word)) {
            for (const auto& [letter, trash] :
                 {std::pair{"H/", "data/Trash/"}, {"D/", "mnt/.Trash-@/"}, {"S/", "mnt/.Trash/@/"}})
                word = word.starts_with(letter) ? trash + word.substr(2) : word;
            if (const std::size_t at = word.find('@'); at != std::string::npos)
                word.replace(at, 1, std::to_string(getuid()));
        }
        return paths;
    }
};

} // namespace

// An item chosen in the Trash takes the Trash's note of it along, and only its own.
TEST_P(TrashItems, TakeTheirOwnNoteAlong)
{
    ASSERT_EQ(setenv("XDG_DATA_HOME", (tree / "data").c_str(), 1), 0);
    for (const char* made : {GetParam().gone, GetParam().kept}) {
        for (const std::string& path : Paths(made)) {
            std::filesystem::create_directories(path.substr(0, path.rfind('/')));
            WriteFile(path, "line\n");
        }
    }
    for (const std::string& entry : Paths(GetParam().listed))
        entry.back() == '/' ? ListFolder(entry.substr(0, entry.size() - 1)) : ListFile(entry);
    Shredder.Run(MethodBalanced);
    unsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(view.Finished() && view.reports.empty());
    for (const std::string& path : Paths(GetParam().gone))
        EXPECT_FALSE(Exists(path)) << path;
    for (const std::string& path : Paths(GetParam().kept))
        EXPECT_TRUE(Exists(path)) << path;
}

INSTANTIATE_TEST_SUITE_P(
    Places, TrashItems,
    testing::Values(TrashCase{"HomeFile", "H/files/a", "H/files/a H/info/a.trashinfo", "H/info/b.trashinfo"},
                    TrashCase{"HomeFolder", "H/files/d/", "H/files/d/x H/info/d.trashinfo", ""},
                    TrashCase{"InsideATrashedFolder", "H/files/d/x", "H/files/d/x",
                              "H/info/d.trashinfo H/info/x.trashinfo"},
                    TrashCase{"OtherFileSystem", "D/files/a", "D/files/a D/info/a.trashinfo", ""},
                    TrashCase{"SharedTrashOfOtherFileSystem", "S/files/a/", "S/files/a/y S/info/a.trashinfo", ""},
                    TrashCase{"AnotherUsersTrash", "mnt/.Trash-0@/files/a", "mnt/.Trash-0@/files/a",
                              "mnt/.Trash-0@/info/a.trashinfo"},
                    TrashCase{"NoTrashAtAll", "docs/files/a", "docs/files/a", "docs/info/a.trashinfo"},
                    TrashCase{"NoteListedToo", "H/info/a.trashinfo H/files/a H/info/",
                              "H/files/a H/info/a.trashinfo H/info/b.trashinfo", ""},
                    TrashCase{"ItemWithoutANote", "H/files/a", "H/files/a", ""}),
    [](const testing::TestParamInfo<TrashCase>& tested) { return tested.param.name; });
