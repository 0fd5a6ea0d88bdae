// The four overwrite methods: what reaches each file, the bars, stop and errors.
#include "engine/Error.h"
#include "engine/FileUri.h"
#include "engine/Md5.h"
#include "engine/Pattern.h"
#include "tests/support/EngineTest.h"

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace sorvex;

namespace {

// Whether /dev is mounted as devtmpfs, read from the kernel's mount table; the
// last mount on /dev is the one seen.
bool DevIsDevtmpfs()
{
    std::ifstream mounts("/proc/self/mounts");
    std::string source, point, type, rest;
    bool devtmpfs = false;
    while (mounts >> source >> point >> type && std::getline(mounts, rest))
        if (point == "/dev")
            devtmpfs = type == "devtmpfs";
    return devtmpfs;
}

class Methods : public EngineTest {
protected:
    // A file of the given size, listed on the file selection page.
    std::string Listed(const std::string& name, std::size_t size, char fill = 'a')
    {
        const std::string path = tree / name;
        WriteFile(path, std::string(size, fill));
        ListFile(path);
        return path;
    }
    // The file bar's maximum at every pass, recorded at the pass's first write.
    void RecordMaxima()
    {
        fs.afterWrite = [this](int) {
            if (fs.sizes.size() > maxima.size())
                maxima.push_back(view.File().max);
        };
    }
    // The text of the error a run raised; empty when it raised none.
    static std::string ErrorOfRun(int method)
    {
        try {
            Shredder.Run(method);
        } catch (const Error& error) {
            return error.what();
        }
        return {};
    }
    // The list of the next run, with what the last one showed forgotten.
    void NextRun() { view = RecordingView(); }
    std::vector<std::int64_t> maxima;
};

std::string Repeated(const Block& block, std::size_t bytes)
{
    std::string content;
    while (content.size() < bytes)
        content.append(reinterpret_cast<const char*>(block.data()), block.size());
    return content.substr(0, bytes);
}

} // namespace

TEST_F(Methods, BalancedOnAnEmptyFileGrowsItByOneBlockPerPass)
{
    const std::string path = Listed("empty", 0);
    RecordMaxima();
    Shredder.Run(MethodBalanced);
    EXPECT_EQ(fs.sizes, (std::vector<std::int64_t>{0, 256}));
    EXPECT_EQ(maxima, (std::vector<std::int64_t>{2, 4}));
    EXPECT_EQ(view.File().position, 3);
    EXPECT_EQ(fs.contentAtRemoval[path], std::string(512, '0'));
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(fs.flushes, 2) << "every pass reaches the medium";
}

TEST_F(Methods, ThoroughOnAThousandByteFile)
{
    const std::string path = Listed("thousand", 1000);
    RecordMaxima();
    Shredder.Run(MethodThorough);
    EXPECT_EQ(fs.writes, 4 + 5 + 6 + 7 + 8);
    EXPECT_EQ(maxima, (std::vector<std::int64_t>{20, 25, 30, 35, 40}));
    EXPECT_EQ(view.File().position, 30);
    EXPECT_EQ(fs.contentAtRemoval[path], std::string(2048, '0'));
    EXPECT_EQ(fs.flushes, 5);
}

TEST_F(Methods, ExactMultipleOfTheBlockStillGetsTheExtraBlock)
{
    Listed("512", 512);
    Shredder.Run(MethodBalanced);
    EXPECT_EQ(fs.sizes, (std::vector<std::int64_t>{512, 768}));
    EXPECT_EQ(fs.writes, 3 + 4);
}

TEST_F(Methods, DodBlockFromTickZeroAndTheSameBlockEverywhere)
{
    const Block block = DodBlock(0);
    EXPECT_EQ(block[0], 0x5A);
    EXPECT_EQ(block[1], 0x82);
    EXPECT_EQ(block[2], 0xE6);
    EXPECT_EQ(block[3], 0x42);
    Block zeros;
    zeros.fill(0x30);
    EXPECT_EQ(ZeroCharBlock(), zeros);

    fs.tick = 0;
    const std::string first = Listed("first", 700);
    const std::string second = Listed("second", 10);
    Shredder.Run(MethodDoD);
    EXPECT_EQ(fs.contentAtRemoval[first], Repeated(block, (700 / 256 + 5) * 256));
    EXPECT_EQ(fs.contentAtRemoval[second], Repeated(block, 5 * 256));
}

// The block comes from the clock of the run: another tick, another block.
TEST_F(Methods, DodBlockIsSeededWithTheClock)
{
    fs.tick = 0x9E3779B9;
    const std::string path = Listed("f", 10);
    Shredder.Run(MethodDoD);
    const std::string written = fs.contentAtRemoval[path];
    ASSERT_EQ(written.size(), 5u * 256);
    const unsigned char first[] = {0x1B, 0xA3, 0x7B, 0x17, 0xD6, 0x89};
    EXPECT_EQ(written.substr(0, 6), std::string(reinterpret_cast<const char*>(first), 6));
    EXPECT_EQ(written.substr(254, 2), "\x4A\xCC");
    EXPECT_EQ(written, Repeated(DodBlock(0x9E3779B9), 5 * 256));
}

TEST_F(Methods, OverallBarCountsFilesAndEveryMethodEmptiesTheListAndFinishes)
{
    for (int method : {MethodFast, MethodBalanced, MethodThorough, MethodDoD}) {
        const std::string a = Listed("a", 300);
        const std::string b = Listed("b", 0);
        Shredder.Run(method);
        EXPECT_EQ(view.Overall().max, 2) << method;
        EXPECT_EQ(view.Overall().position, 2) << method;
        EXPECT_FALSE(Exists(a));
        EXPECT_FALSE(Exists(b));
        EXPECT_EQ(Shredder.Files.Count(), 0u);
        EXPECT_TRUE(view.Finished());
        EXPECT_EQ(view.label, b);
        NextRun();
    }
}

// "Быстрый" makes one pass: (size div 256) + 1 blocks of "0" from the first
// byte, flushed, counted by the file bar, the file opened once.
TEST_F(Methods, FastMakesOnePassOfTheZeroCharacter)
{
    for (const std::size_t size : std::initializer_list<std::size_t>{0, 255, 512, 5000}) {
        NextRun();
        fs.flushes = 0;
        fs.opened.clear();
        fs.sizes.clear();
        maxima.clear();
        const std::string path = Listed("f", size, 'q');
        const std::int64_t blocks = static_cast<std::int64_t>(size / 256 + 1);
        RecordMaxima();
        Shredder.Run(MethodFast);
        EXPECT_EQ(fs.opened, std::vector<std::string>{path}) << size;
        EXPECT_EQ(fs.sizes, std::vector<std::int64_t>{static_cast<std::int64_t>(size)}) << size;
        EXPECT_EQ(maxima, std::vector<std::int64_t>{blocks}) << size;
        EXPECT_EQ(view.File().position, blocks) << size;
        EXPECT_EQ(fs.contentAtRemoval[path], std::string(static_cast<std::size_t>(blocks) * 256, '0')) << size;
        EXPECT_EQ(fs.flushes, 1) << size;
        EXPECT_FALSE(Exists(path)) << size;
    }
}

TEST_F(Methods, StopAfterTheThirdBlockDeletesThatFileAndLeavesTheRest)
{
    const std::string first = Listed("1", 4000, 'x');
    const std::string second = Listed("2", 100, 'y');
    fs.afterWrite = [this](int write) {
        if (write == 3)
            view.StopInNextPump();
    };
    Shredder.Run(MethodBalanced);
    EXPECT_EQ(fs.writes, 3);
    EXPECT_EQ(fs.contentAtRemoval[first], std::string(768, '0') + std::string(4000 - 768, 'x'));
    EXPECT_FALSE(Exists(first));
    EXPECT_EQ(ReadFile(second), std::string(100, 'y'));
    EXPECT_EQ(view.File().position, view.File().max);
    EXPECT_EQ(view.Overall().position, view.Overall().max);
    EXPECT_EQ(fs.flushes, 1) << "the partial overwrite is flushed before the delete";
    EXPECT_EQ(Shredder.Files.Count(), 0u);
    EXPECT_FALSE(Shredder.Stop);
    EXPECT_TRUE(view.Finished());
    EXPECT_EQ(view.ends, (decltype(view.ends){{0, RunEnd::Stopped}})) << "the file in hand is reported";
}

TEST_F(Methods, StopDuringFastEndsAfterTheFileInHand)
{
    const std::string first = Listed("1", 10);
    const std::string second = Listed("2", 10);
    const std::string third = Listed("3", 10);
    view.StopInNextPump();
    Shredder.Run(MethodFast);
    EXPECT_FALSE(Exists(first));
    EXPECT_EQ(fs.contentAtRemoval[first], std::string(256, '0')) << "its one block written";
    EXPECT_EQ(fs.flushes, 1) << "what was written reaches the medium before the name goes";
    EXPECT_TRUE(Shredder.Report().Empty()) << "its whole pass was written: nothing of it remains";
    EXPECT_TRUE(Exists(second));
    EXPECT_TRUE(Exists(third));
    EXPECT_EQ(view.Overall().position, 3);
    EXPECT_FALSE(Shredder.Stop);
    EXPECT_TRUE(view.Finished());
}

TEST_F(Methods, FileThatCannotBeOpenedEndsTheRunWhereItStands)
{
    const std::string first = Listed("1", 10);
    const std::string missing = tree / "2-gone";
    ListFile(missing);
    const std::string third = Listed("3", 10, 'k');
    EXPECT_EQ(ErrorOfRun(MethodThorough), "Cannot open file " + missing);
    EXPECT_FALSE(Exists(first));
    EXPECT_FALSE(Exists(missing)) << "nothing is created";
    EXPECT_EQ(ReadFile(third), std::string(10, 'k'));
    EXPECT_EQ(Shredder.Files.Count(), 3u);
    EXPECT_EQ(view.label, missing);
    EXPECT_EQ(view.closingSteps, 0) << "the page stays as it stood";
    EXPECT_EQ(view.ends, (decltype(view.ends){{1, RunEnd::Failed}}));
}

TEST_F(Methods, ReadOnlyFileIsMadeWritableAndDestroyed)
{
    const std::string path = Listed("ro", 300, 'r');
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    Shredder.Run(MethodBalanced);
    EXPECT_EQ(fs.modeAtRemoval[path] & 0200, 0200u);
    EXPECT_EQ(fs.contentAtRemoval[path], std::string(768, '0'));
    EXPECT_FALSE(Exists(path));
}

TEST_F(Methods, EmptyListRunsOnlyTheClosingSteps)
{
    MakeFolder(tree / "empty");
    ListFolder(tree / "empty");
    Shredder.Run(MethodDoD);
    EXPECT_EQ(view.Overall().max, 0);
    EXPECT_TRUE(view.Finished());
    EXPECT_EQ(view.label, "Идёт подготовка к удалению.");
}

TEST_F(Methods, LinksAreDeletedAsLinksAndSharedContentIsLeftToItsOtherNames)
{
    const std::string outside = tree / "outside";
    WriteFile(outside, "target stays");
    const std::string shared = tree / "shared-elsewhere";
    WriteFile(shared, "shared stays");
    MakeFolder(tree / "d");
    ASSERT_EQ(symlink(outside.c_str(), (tree / "d/link").c_str()), 0);
    ASSERT_EQ(link(shared.c_str(), (tree / "d/hard").c_str()), 0);
    ListFolder(tree / "d");
    for (int method : {MethodFast, MethodBalanced, MethodDoD}) {
        if (!Exists(tree / "d/link")) {
            ASSERT_EQ(symlink(outside.c_str(), (tree / "d/link").c_str()), 0);
            ASSERT_EQ(link(shared.c_str(), (tree / "d/hard").c_str()), 0);
        }
        view.closingSteps = 0;
        Shredder.Run(method);
        EXPECT_FALSE(Exists(tree / "d/link")) << method;
        EXPECT_FALSE(Exists(tree / "d/hard")) << method;
        EXPECT_EQ(ReadFile(outside), "target stays");
        EXPECT_EQ(ReadFile(shared), "shared stays");
        EXPECT_TRUE(fs.opened.empty());
        EXPECT_TRUE(view.Finished());
    }
}

// A listed FIFO or device is left where it is, never opened, and named in the
// report; the run goes on with the rest. With the file systems taken as
// ordinary ones /dev/null is a device like the FIFO; with the real ones it is
// on the kernel's devtmpfs where /dev is one (a container's /dev is often a
// tmpfs, where it is again only a device).
TEST_F(Methods, ListedFifoAndDeviceAreLeftInPlaceAndReported)
{
    const std::string fifo = tree / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const std::optional<FileSystemInfo> ordinary = fs.fileSystem;
    for (const bool real : {false, true}) {
        fs.fileSystem = real ? std::nullopt : ordinary;
        for (const std::string& path : {fifo, std::string("/dev/null")}) {
            for (int method : {MethodFast, MethodBalanced}) {
                NextRun();
                ListFile(path);
                const std::string after = Listed("after", 10);
                Shredder.Run(method);
                EXPECT_TRUE(view.Finished()) << path;
                EXPECT_EQ(fs.opened, std::vector<std::string>{after}) << path;
                EXPECT_TRUE(Exists(path));
                EXPECT_FALSE(Exists(after));
                ASSERT_EQ(view.reports.size(), 1u) << path;
                // The real /tmp may add its own items for the file after, and for its medium.
                const auto& items = view.reports[0].items;
                const auto item =
                    std::find_if(items.begin(), items.end(), [&](const auto& it) { return it.path == path; });
                ASSERT_NE(item, items.end()) << path;
                const bool kernel = real && path != fifo && DevIsDevtmpfs();
                EXPECT_EQ(item->why, kernel ? Remains::SystemFileSystem : Remains::NotAPlainFile)
                    << path << (real ? " on the real file systems" : "");
                fs.opened.clear();
            }
        }
    }
}

TEST_F(Methods, FailedWriteBeforeTheOldEndRaisesAndKeepsTheFile)
{
    const std::string path = Listed("f", 1000, 'w');
    fs.failWrite = [](int write) { return write == 2; };
    EXPECT_EQ(ErrorOfRun(MethodBalanced), "Cannot write file " + path);
    EXPECT_TRUE(Exists(path));
    EXPECT_TRUE(fs.removed.empty());
    EXPECT_EQ(Shredder.Files.Count(), 1u);
}

TEST_F(Methods, FailedFlushRaisesAndKeepsTheFile)
{
    const std::string path = Listed("f", 10);
    fs.failFlush = true;
    EXPECT_EQ(ErrorOfRun(MethodThorough), "Cannot write file " + path);
    EXPECT_TRUE(Exists(path));
}

// A write cut short, as on a full disk: before the old end the file's data may
// be left in place, so the run ends with the error; past it nothing was there.
TEST_F(Methods, ShortWriteBeforeTheOldEndRaisesAndOnlyPastItIsLetGo)
{
    const std::string path = Listed("f", 1000, 'w');
    fs.shortWrite = [](int write) { return write < 2 ? -1L : write == 2 ? 100L : 0L; }; // then the disk is full
    EXPECT_EQ(ErrorOfRun(MethodBalanced), "Cannot write file " + path);
    EXPECT_TRUE(Exists(path));

    view.entries.clear();
    fs.writes = 0;
    const std::string tail = Listed("g", 600, 'w'); // blocks 1 to 3; the third holds 88 bytes of data
    fs.shortWrite = [](int write) { return write == 3 ? 88L : write == 4 ? 0L : -1L; }; // a full disk, then room
    Shredder.Run(MethodBalanced);
    EXPECT_FALSE(Exists(tail));
    EXPECT_TRUE(view.Finished());
}

TEST_F(Methods, FailureInTheBlockPastTheOldEndIsLetGo)
{
    // 512 bytes: blocks 1 and 2 hold the data, block 3 only extends the file.
    const std::string path = Listed("f", 512, 'w');
    fs.failWrite = [](int write) { return write == 3; };
    Shredder.Run(MethodBalanced);
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(view.Finished());
    EXPECT_EQ(fs.contentAtRemoval[path], std::string(512 + 256, '0')) << "the second pass wrote 3 blocks";
}

// Blocks go out in runs of many: the bytes a pass leaves are still exactly
// (size div 256) + 1 blocks of the pattern from the first byte on, whatever
// the size is against the length of a run, and the file bar counts blocks.
TEST_F(Methods, RunsOfBlocksWriteExactlyTheBlocksOfEachPass)
{
    Shredder.UseRunBlocks(CShredder::RunBlocks);
    const std::int64_t run = CShredder::RunBlocks * BlockSize;
    for (const std::int64_t size : {run - 257, run - 256, run - 1, run, run + 255, 2 * run + 1}) {
        NextRun();
        fs.writes = 0;
        const std::string path = Listed("f", static_cast<std::size_t>(size), 'x');
        Shredder.Run(MethodBalanced);
        const std::int64_t first = size / BlockSize + 1;
        const std::int64_t second = (first * BlockSize) / BlockSize + 1;
        EXPECT_EQ(fs.contentAtRemoval[path], std::string(static_cast<std::size_t>(second * BlockSize), '0')) << size;
        EXPECT_EQ(view.File().position, first + second) << size;
        const auto calls = [&](std::int64_t blocks) {
            const auto perCall = static_cast<std::int64_t>(CShredder::RunBlocks);
            return (blocks + perCall - 1) / perCall;
        };
        EXPECT_EQ(fs.writes, calls(first) + calls(second)) << size;
    }
}

// "Стоп" is looked at after every run's pump: a stop queued at the second
// pump ends the pass there, with two runs written and the rest as it was.
TEST_F(Methods, StopIsAnsweredAtThePumpAfterARun)
{
    Shredder.UseRunBlocks(CShredder::RunBlocks);
    const std::size_t run = CShredder::RunBlocks * BlockSize;
    const std::string path = Listed("big", 3 * run + 100, 'x');
    view.onPump = [this] {
        if (view.pumps == 2)
            Shredder.Stop = true;
    };
    Shredder.Run(MethodThorough);
    EXPECT_EQ(fs.writes, 2);
    EXPECT_EQ(fs.contentAtRemoval[path], std::string(2 * run, '0') + std::string(run + 100, 'x'));
    EXPECT_TRUE(view.Finished());
}

// Where a folder's names go together, none goes before every file of the
// folder is overwritten and flushed; a stop still takes the names of the
// files already overwritten, and so does an error before it ends the run;
// the files not reached keep their names and their bytes.
TEST_F(Methods, NamesWaitingForTheirFolderGoWhenItEndsIsStoppedOrFails)
{
    fs.fileSystem->namesTogether = true;
    const struct {
        const char* what;
        int stopAfterFlush; // 0: no stop
        bool missing; // a file gone before its turn, third in the list
        std::vector<bool> gone;
    } cases[] = {
        {"ends", 0, false, {true, true, true, true}},
        {"stopped", 4, false, {true, true, false, false}},
        {"fails", 0, true, {true, true, true, false}}, // the third was never there
    };
    for (const auto& c : cases) {
        NextRun();
        fs.removed.clear();
        fs.flushes = 0;
        std::vector<int> flushesAtRemoval;
        fs.beforeRemove = [&](const std::string&) { flushesAtRemoval.push_back(fs.flushes); };
        fs.afterFlush = [&](int flush) {
            if (flush == c.stopAfterFlush)
                view.StopInNextPump();
        };
        MakeFolder(tree / c.what);
        std::vector<std::string> paths;
        for (const char* name : {"1", "2", "3", "4"}) {
            paths.push_back(tree / c.what + "/" + name);
            if (!(c.missing && paths.size() == 3))
                WriteFile(paths.back(), std::string(300, 'a'));
            ListFile(paths.back());
        }
        ErrorOfRun(MethodBalanced);
        for (std::size_t i = 0; i < paths.size(); ++i)
            EXPECT_EQ(!Exists(paths[i]), c.gone[i]) << c.what << " " << i;
        if (c.stopAfterFlush != 0 || c.missing) {
            EXPECT_EQ(ReadFile(paths[3]), std::string(300, 'a')) << c.what;
        }
        const int flushed = fs.flushes;
        EXPECT_TRUE(std::all_of(flushesAtRemoval.begin(), flushesAtRemoval.end(), [&](int f) { return f == flushed; }))
            << c.what << ": a name went before the last overwrite of its folder was flushed";
    }
}

// The values of a file's user.* attributes are overwritten and removed
// before its name goes; a file system that may keep old values is named.
TEST_F(Methods, UserAttributesGoBeforeTheName)
{
    for (const bool kept : {false, true}) {
        NextRun();
        fs.fileSystem->keepsOldAttributes = kept;
        const std::string path = Listed("tagged", 10);
        if (setxattr(path.c_str(), "user.xdg.origin.url", "https://x", 9, 0) != 0)
            GTEST_SKIP() << "no user attributes here";
        std::string left = "none looked";
        fs.beforeRemove = [&](const std::string& removed) {
            char names[256];
            left = std::string(
                names, static_cast<std::size_t>(std::max<ssize_t>(listxattr(removed.c_str(), names, sizeof names), 0)));
        };
        Shredder.Run(MethodFast);
        EXPECT_EQ(left, "") << kept;
        EXPECT_EQ(Shredder.Report().items.size(), kept ? 1u : 0u);
    }
}

// Thumbnails take the MD5 of the file's URI, written as GLib writes it.
TEST(DesktopNames, UriAndDigestAsTheDesktopMakesThem)
{
    const struct {
        std::string bytes;
        std::string made;
        std::string expected;
    } cases[] = {
        {"", Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72"},
        {"64 bytes", Md5Hex(std::string(64, 'a')), "014842d480b571495a4a0363793f7367"},
        {"marks", FileUriOf("/a/ !\"#$%&'()*+,-.:;<=>?@[\\]^_`{|}~"),
         "file:///a/%20!%22%23$%25&'()*+,-.:%3B%3C=%3E%3F@%5B%5C%5D%5E_%60%7B%7C%7D~"},
        {"bytes", FileUriOf("/a/\x01\x7F\xFF\xD0\xB0"), "file:///a/%01%7F%FF%D0%B0"},
        {"back", PathOfFileUri("file:///a/%20b%ff").value_or("none"), "/a/ b\xFF"},
        {"plain", PlainPath("//a/./b/../c/"), "/a/c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.made, c.expected) << c.bytes;
}

// A destroyed file's thumbnails in every size and among the failures, its
// entry in the list of recent files and KDE's recent document go; those of
// other files stay byte for byte.
TEST_F(Methods, TheDesktopForgetsADestroyedFile)
{
    const std::string listed = Listed("my photo.jpg", 10);
    const std::string other = tree / "other.jpg";
    const std::string cache = tree / "cache/thumbnails/";
    for (const char* folder : {"cache", "cache/thumbnails", "cache/thumbnails/normal", "cache/thumbnails/large",
                               "cache/thumbnails/fail", "cache/thumbnails/fail/app", "data", "data/RecentDocuments"})
        MakeFolder(tree / folder);
    const auto thumbnail = [](const std::string& path) { return Md5Hex(FileUriOf(path)) + ".png"; };
    const std::vector<std::string> gone = {cache + "normal/" + thumbnail(listed), cache + "large/" + thumbnail(listed),
                                           cache + "fail/app/" + thumbnail(listed),
                                           tree / "data/RecentDocuments/a.desktop"};
    const std::vector<std::string> kept = {cache + "normal/" + thumbnail(other),
                                           tree / "data/RecentDocuments/b.desktop"};
    for (const std::string& path : gone)
        WriteFile(path, "Thumb::URI " + listed);
    for (const std::string& path : kept)
        WriteFile(path, "Thumb::URI " + other);
    WriteFile(tree / "data/RecentDocuments/a.desktop", "[Desktop Entry]\nURL[$e]=" + FileUriOf(listed) + "\n");
    WriteFile(tree / "data/RecentDocuments/b.desktop", "[Desktop Entry]\nURL[$e]=" + FileUriOf(other) + "\n");
    const std::string head = "<?xml version=\"1.0\"?>\n<xbel>\n";
    const std::string otherEntry = "  <bookmark href=\"" + FileUriOf(other) + "\" added=\"x\">\n  </bookmark>\n";
    const std::string listedEntry = "  <bookmark href=\"" + FileUriOf(listed) + "\">\n    <info/>\n  </bookmark>\n";
    WriteFile(tree / "data/recently-used.xbel", head + listedEntry + otherEntry + "</xbel>\n");
    setenv("XDG_CACHE_HOME", (tree / "cache").c_str(), 1);
    setenv("XDG_DATA_HOME", (tree / "data").c_str(), 1);
    Shredder.Run(MethodBalanced);
    unsetenv("XDG_CACHE_HOME");
    unsetenv("XDG_DATA_HOME");
    for (const std::string& path : gone)
        EXPECT_FALSE(Exists(path)) << path;
    EXPECT_EQ(ReadFile(kept[0]), "Thumb::URI " + other);
    EXPECT_TRUE(Exists(kept[1]));
    EXPECT_EQ(ReadFile(tree / "data/recently-used.xbel"), head + otherEntry + "</xbel>\n");
    EXPECT_TRUE(Shredder.Report().Empty());
}
