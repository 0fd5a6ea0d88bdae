// A run that tells the truth: an overwrite that did not land where the data
// lies, a name that could not be removed, a folder that could not be read, a
// file whose content other names keep — each is named in the run's report;
// a clean run says nothing. And "Стоп" is answered before the next file.
#include "engine/Error.h"
#include "engine/Landing.h"
#include "pages/ReportBox.h"
#include "tests/support/EngineTest.h"

#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

using namespace sorvex;

namespace {

class Report : public EngineTest {
protected:
    std::string Made(const std::string& name, std::size_t size = 1000)
    {
        WriteFile(tree / name, std::string(size, 'm'));
        return tree / name;
    }
    // Every item of the one report the run showed, as "path: reason".
    std::vector<std::pair<std::string, Remains>> Items() const
    {
        std::vector<std::pair<std::string, Remains>> items;
        if (view.reports.size() == 1) {
            for (const RunReport::Item& item : view.reports[0].items)
                items.emplace_back(item.path, item.why);
        }
        return items;
    }
};

// One extent holding the first size bytes, at a place that moves with each read.
bool Moving(int read, ExtentMap& out)
{
    out = {{0, 4096u * static_cast<std::uint64_t>(read), 1 << 20, 0}};
    return true;
}

} // namespace

TEST_F(Report, CleanRunShowsNoReport)
{
    Made("a");
    ListFile(tree / "a");
    fs.fileSystem = FileSystemInfo{}; // a disk: extent maps are read and compared
    fs.extents = [](int, ExtentMap& out) {
        out = {{0, 8192, 1 << 20, 0}};
        return true;
    };
    Shredder.Run(MethodThorough);
    EXPECT_FALSE(Exists(tree / "a"));
    EXPECT_EQ(fs.extentReads, 1 + 5) << "before the first pass and after each";
    EXPECT_TRUE(view.reports.empty());
}

TEST_F(Report, EachThingLeftBehindIsNamedWithItsReason)
{
    MakeFolder(tree / "list");
    WriteFile(tree / "list/moved", std::string(5000, 'm'));
    WriteFile(tree / "list/undeletable", "u");
    WriteFile(tree / "list/shared", "kept under another name");
    ASSERT_EQ(::link((tree / "list/shared").c_str(), (tree / "elsewhere").c_str()), 0);
    MakeFolder(tree / "list/vanishing");
    ListFolder(tree / "list");
    fs.fileSystem = FileSystemInfo{};
    fs.extents = [this](int read, ExtentMap& out) {
        if (fs.opened.back() == tree / "list/moved")
            return Moving(read, out);
        out.clear(); // the others are empty to the map: nothing to compare
        return true;
    };
    fs.failRemove = [this](const std::string& path) { return path == tree / "list/undeletable"; };
    // The subfolder goes after its parent was read, before it is opened.
    fs.afterList = [this](const std::string& folder) {
        if (folder == tree / "list/")
            ::rmdir((tree / "list/vanishing").c_str());
    };
    Shredder.Run(MethodBalanced);
    EXPECT_TRUE(view.Finished());
    auto items = Items();
    std::sort(items.begin(), items.end());
    const std::vector<std::pair<std::string, Remains>> expected = {
        {tree / "list/moved", Remains::NotInPlace},
        {tree / "list/shared", Remains::OtherNames},
        {tree / "list/undeletable", Remains::NotDeleted},
        {tree / "list/vanishing/", Remains::FolderUnreadable},
    };
    EXPECT_EQ(items, expected);
    EXPECT_EQ(view.ends, (decltype(view.ends){{0, RunEnd::Finished}}))
        << "a name removed and reported is not destroyed";
    EXPECT_EQ(ReadFile(tree / "elsewhere"), "kept under another name");
    EXPECT_TRUE(Exists(tree / "list/undeletable"));
}

// Where the map cannot be read, a file system known to overwrite in place
// needs none; any other could not be checked.
TEST_F(Report, UnreadableMapIsUncheckedExceptWhereOverwritesLandInPlace)
{
    fs.extents = [](int, ExtentMap& out) {
        out.clear();
        return false;
    };
    for (const FileSystemInfo& system : {FileSystemInfo{false, true}, FileSystemInfo{}}) {
        view = RecordingView();
        ListFile(Made("f"));
        fs.fileSystem = system;
        Shredder.Run(MethodBalanced);
        EXPECT_FALSE(Exists(tree / "f"));
        if (system.overwritesInPlace)
            EXPECT_TRUE(view.reports.empty());
        else
            EXPECT_EQ(Items(), (std::vector<std::pair<std::string, Remains>>{{tree / "f", Remains::NotChecked}}));
    }
}

// "Быстрый" is checked where its one pass landed and reported as the other
// methods are: an overwrite that moved, a name that could not be removed.
TEST_F(Report, FastIsCheckedAndReportedLikeTheOtherMethods)
{
    for (const int method : {MethodFast, MethodBalanced}) {
        view = RecordingView();
        fs.extentReads = 0;
        ListFile(Made("a"));
        ListFile(Made("b"));
        fs.fileSystem = FileSystemInfo{};
        fs.extents = Moving;
        fs.failRemove = [this](const std::string& path) { return path == tree / "b"; };
        Shredder.Run(method);
        EXPECT_EQ(fs.extentReads, 2 * 2) << method << ": before each file's first pass and after it";
        EXPECT_EQ(Items(), (std::vector<std::pair<std::string, Remains>>{{tree / "a", Remains::NotInPlace},
                                                                         {tree / "b", Remains::NotInPlace},
                                                                         {tree / "b", Remains::NotDeleted}}))
            << method;
    }
}

// Stopped inside a file's first pass, its unwritten part remains; stopped in
// a later pass, the first has covered it.
TEST_F(Report, FileInHandWhenStoppedIsReportedWhileItsFirstPassIsUnfinished)
{
    for (int stopAt : {2, 10}) { // blocks of 4 and 5 per pass
        view = RecordingView();
        ListFile(Made("f"));
        fs.writes = 0;
        fs.afterWrite = [this, stopAt](int write) {
            if (write == stopAt)
                view.StopInNextPump();
        };
        Shredder.Run(MethodThorough);
        EXPECT_FALSE(Exists(tree / "f"));
        if (stopAt == 2)
            EXPECT_EQ(Items(), (std::vector<std::pair<std::string, Remains>>{{tree / "f", Remains::Stopped}}));
        else
            EXPECT_TRUE(view.reports.empty());
    }
}

// "Стоп" pressed in the pump after file k: k is gone, k + 1 keeps its name and
// its bytes — after a file that was overwritten, and in a run of entries that
// are only unlinked (links), which have no blocks to look at the flag in.
TEST_F(Report, StopAfterAFileIsAnsweredBeforeTheNextOne)
{
    for (int method : {MethodFast, MethodBalanced, MethodDoD}) {
        view = RecordingView();
        MakeFolder(tree / "links");
        for (int i = 0; i < 30; ++i)
            ASSERT_EQ(::symlink("nowhere", (tree / "links/" + std::to_string(100 + i)).c_str()), 0);
        ListFolder(tree / "links");
        ListFile(Made("m-first", 300));
        ListFile(Made("n-second", 300));
        int files = 0;
        view.onPump = [&] {
            // A file's pump comes after the overall bar's step for it.
            if (view.Overall().position > files && ++files == 10)
                Shredder.Stop = true;
        };
        Shredder.Run(method);
        int linksLeft = 0;
        for (int i = 0; i < 30; ++i)
            linksLeft += Exists(tree / "links/" + std::to_string(100 + i));
        EXPECT_EQ(linksLeft, 20) << method;
        EXPECT_EQ(ReadFile(tree / "m-first"), std::string(300, 'm')) << method;
        EXPECT_TRUE(view.Finished());
        EXPECT_FALSE(Shredder.Stop);
        ASSERT_EQ(::system(("rm -rf " + tree / "links").c_str()), 0);
    }
    view = RecordingView();
    ListFile(tree / "m-first");
    ListFile(tree / "n-second");
    view.onPump = [&] {
        if (view.Overall().position == 1)
            Shredder.Stop = true;
    };
    Shredder.Run(MethodBalanced);
    EXPECT_FALSE(Exists(tree / "m-first"));
    EXPECT_EQ(ReadFile(tree / "n-second"), std::string(300, 'm'));
    EXPECT_EQ(fs.opened.back(), tree / "m-first") << "the second was never opened";
}

// The file that ends a run is listed first, with why; every file after it as not reached.
TEST_F(Report, TheFileThatEndsARunIsListedWithWhy)
{
    using Case = std::tuple<Refusal, int, Remains>; // Refusal::None: the look at its name fails
    for (const auto& [refusal, error, why] :
         {Case{Refusal::ReadOnly, EROFS, Remains::ReadOnlyFileSystem},
          Case{Refusal::Protected, EPERM, Remains::WriteProtected}, Case{Refusal::Busy, ETXTBSY, Remains::InUse},
          Case{Refusal::Denied, EACCES, Remains::NoWritePermission}, Case{Refusal::Failed, EIO, Remains::SystemError},
          Case{Refusal::None, EIO, Remains::SystemError}}) {
        view = RecordingView();
        const std::string first = Made("a");
        ListFile(first);
        ListFile(Made("b"));
        fs.refuseOpen = {{first, {refusal, error}}};
        fs.failLook =
            refusal == Refusal::None ? std::map<std::string, int>{{first, error}} : std::map<std::string, int>{};
        EXPECT_THROW(Shredder.Run(MethodBalanced), Error);
        EXPECT_EQ(Items(),
                  (std::vector<std::pair<std::string, Remains>>{{first, why}, {tree / "b", Remains::NotReached}}))
            << error;
        EXPECT_EQ(view.reports.at(0).items.at(0).error, error);
        EXPECT_EQ(ReadFile(first), std::string(1000, 'm'));
    }
}

// Where the old data lies against where each pass put it.
TEST(Landing, OnlyOldDataOverwrittenWhereItLiesHasLanded)
{
    const ExtentMap old = {{0, 1000, 4096, 0}, {4096, 5096, 4096, 0}};
    EXPECT_TRUE(SamePlaces(old, {{0, 1000, 8192, 0}}, 8000)) << "two runs now told as one";
    EXPECT_TRUE(SamePlaces(old, {{0, 1000, 4096, 0}, {4096, 5096, 8192, 0}}, 8000)) << "grown past the old end";
    EXPECT_FALSE(SamePlaces(old, {{0, 1000, 4096, 0}, {4096, 9100, 4096, 0}}, 8000));
    EXPECT_FALSE(SamePlaces(old, {{0, 1000, 4096, 0}}, 8000)) << "part of it now unmapped";
    EXPECT_TRUE(SamePlaces(old, {{0, 1000, 4096, 0}, {4096, 50, 4096, 0}}, 4096)) << "only below the old size";

    struct Script : ObservedServices {
        std::vector<ExtentMap> maps;
        bool ReadExtents(int, ExtentMap& out) override
        {
            out = maps.at(static_cast<std::size_t>(extentReads++));
            return true;
        }
    };
    const auto verdict = [](std::vector<ExtentMap> maps) {
        Script fs;
        fs.maps = std::move(maps);
        LandingCheck check;
        check.Begin(fs, -1, 4096, false);
        for (std::size_t pass = 1; pass < fs.maps.size(); ++pass)
            check.AfterPass(fs, -1);
        return check.Result();
    };
    using V = LandingCheck::Verdict;
    const Extent placed{0, 1000, 4096, 0};
    EXPECT_EQ(verdict({{placed}, {placed}, {placed}}), V::InPlace);
    EXPECT_EQ(verdict({{placed}, {{0, 2000, 4096, 0}}}), V::Elsewhere) << "copy on write";
    EXPECT_EQ(verdict({{{0, 1000, 4096, Extent::Shared}}, {placed}}), V::Elsewhere) << "a reflinked copy";
    EXPECT_EQ(verdict({{placed}, {{0, 1000, 4096, Extent::Inline}}}), V::Elsewhere);
    EXPECT_EQ(verdict({{{0, 0, 4096, Extent::Delayed}}, {{0, 3000, 4096, 0}}, {{0, 3000, 4096, 0}}}), V::InPlace)
        << "never on the device before: compared from the first flush";
    EXPECT_EQ(verdict({{{0, 0, 4096, Extent::Delayed}}, {{0, 3000, 4096, 0}}, {{0, 4000, 4096, 0}}}), V::Elsewhere);
    EXPECT_EQ(verdict({{placed}, {{0, 0, 4096, Extent::Unknown}}}), V::Unchecked) << "flushed, yet not placed";
}

// The box says so in a few lines, a count per reason, and lists every path,
// as plain text, in its details.
TEST(ReportBox, CountsPerReasonAndEveryPathInTheDetails)
{
    RunReport report;
    report.Add("/a/<b>bold</b>", Remains::NotInPlace);
    report.Add("/a/two", Remains::NotInPlace);
    report.Add("/a/hard", Remains::OtherNames);
    report.Add("/a/x\n/a/y — удалено — \xE2\x80\xAE", Remains::NotInPlace); // a name that forges a line
    report.Add("/mnt", Remains::Flash);
    const QString summary = ReportSummary(report);
    EXPECT_TRUE(summary.contains(ReasonText(Remains::NotInPlace) + QStringLiteral(": 3")));
    EXPECT_TRUE(summary.contains(ReasonText(Remains::Flash) + u'\n')) << "said of the medium, not counted";
    EXPECT_TRUE(summary.contains(ReasonText(Remains::OtherNames) + QStringLiteral(": 1")));
    EXPECT_FALSE(summary.contains(QStringLiteral("/a/two")));
    const QStringList lines = ReportDetails(report).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("/a/<b>bold</b> — ")));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("/a/x\\x0A/a/y — удалено — \\u202E — ")));
}

// Names of one content that are all in the list: the last one met is
// overwritten, so none of them leaves anything behind. A name outside the
// list keeps the content, and the listed one says so.
TEST_F(Report, HardLinksAllInTheListLeaveNothingBehind)
{
    MakeFolder(tree / "backup");
    MakeFolder(tree / "backup/monday");
    MakeFolder(tree / "backup/tuesday");
    WriteFile(tree / "backup/monday/photo", std::string(3000, 'p'));
    ASSERT_EQ(::link((tree / "backup/monday/photo").c_str(), (tree / "backup/tuesday/photo").c_str()), 0);
    WriteFile(tree / "backup/monday/kept", "k");
    ASSERT_EQ(::link((tree / "backup/monday/kept").c_str(), (tree / "elsewhere").c_str()), 0);
    for (int method : {MethodFast, MethodBalanced}) {
        view = RecordingView();
        ListFolder(tree / "backup");
        Shredder.Run(method);
        EXPECT_FALSE(Exists(tree / "backup/monday/photo"));
        EXPECT_FALSE(Exists(tree / "backup/tuesday/photo"));
        EXPECT_EQ(Items(),
                  (std::vector<std::pair<std::string, Remains>>{{tree / "backup/monday/kept", Remains::OtherNames}}))
            << method;
        EXPECT_EQ(view.ends, (decltype(view.ends){{2, RunEnd::Finished}})) << "both names of the photo";
        WriteFile(tree / "backup/monday/photo", std::string(3000, 'p'));
        ASSERT_EQ(::link((tree / "backup/monday/photo").c_str(), (tree / "backup/tuesday/photo").c_str()), 0);
        ASSERT_EQ(::link((tree / "elsewhere").c_str(), (tree / "backup/monday/kept").c_str()), 0);
    }
}
