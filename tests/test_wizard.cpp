// The whole wizard walked by its buttons, from the welcome page to a finished
// run and round again, with the two dialogs answered through their seams.
#include "pages/ReportBox.h"
#include "pages/frmSposob.h"
#include "pages/frmStart.h"
#include "tests/support/EntryList.h"
#include "tests/support/Loop.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/PageRunTest.h"
#include "tests/support/PageStates.h"

#include <QTimer>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <map>

#include <sys/stat.h>
#include <unistd.h>

using namespace sorvex;

namespace {

QRadioButton* MethodButton(int method)
{
    QRadioButton* const buttons[] = {frmSpo->RadioButton1, frmSpo->RadioButton2, frmSpo->RadioButton3,
                                     frmSpo->RadioButton4};
    return buttons[method - 1];
}

int CheckedMethod()
{
    int checked = 0;
    for (int method = MethodFast; method <= MethodDoD; ++method) {
        if (MethodButton(method)->isChecked())
            checked = checked == 0 ? method : -1;
    }
    return checked;
}

// The one page on screen, or nullptr when there is not exactly one.
QWidget* ShownPage()
{
    QWidget* shown = nullptr;
    for (QWidget* page : {static_cast<QWidget*>(Form1), static_cast<QWidget*>(frmAddFile),
                          static_cast<QWidget*>(frmSpo), static_cast<QWidget*>(frmProgr)}) {
        if (page->isVisible()) {
            if (shown)
                return nullptr;
            shown = page;
        }
    }
    return shown;
}

// Content made of one 256-byte block over and over.
bool OneBlockRepeated(const std::string& content)
{
    if (content.size() < 256 || content.size() % 256 != 0)
        return false;
    for (std::size_t at = 256; at < content.size(); at += 256) {
        if (content.compare(at, 256, content, 0, 256) != 0)
            return false;
    }
    return true;
}

class Wizard : public PageRunTest {
protected:
    void SetUp() override
    {
        PageRunTest::SetUp();
        frmProgr->hide();
        Form1->show();
        Form1->move(150, 120);
        frmAddFile->opn.Chooser = &files;
        frmAddFile->FolderBrowser = &folder;
    }

    std::string Made(const std::string& relative, std::size_t size, char fill)
    {
        const std::string path = tree / relative;
        WriteFile(path, std::string(size, fill));
        original[path] = std::string(size, fill);
        return path;
    }
    void AddFiles(std::initializer_list<std::string> paths)
    {
        files.answer.clear();
        for (const std::string& path : paths)
            files.answer << QString::fromStdString(path);
        frmAddFile->Button5->click();
    }
    void AddFolder(const std::string& path)
    {
        folder.answer = QString::fromStdString(path);
        frmAddFile->Button6->click();
    }
    // On the file selection page: builds the list, then goes on to the method page.
    void ListAndGoOn(std::initializer_list<std::string> paths)
    {
        ASSERT_EQ(ShownPage(), frmAddFile);
        AddFiles(paths);
        frmAddFile->Button2->click();
        ASSERT_EQ(ShownPage(), frmSpo);
    }
    // On the method page: checks a method and starts the run, which is over when this returns.
    static void RunWith(int method)
    {
        ASSERT_EQ(ShownPage(), frmSpo);
        MethodButton(method)->click();
        frmSpo->Button2->click();
        ASSERT_EQ(ShownPage(), frmProgr);
    }
    // From a finished (or stopped) run back to an empty file selection page.
    static void Restart()
    {
        ASSERT_TRUE(frmProgr->Button2->isEnabled());
        frmProgr->Button2->click();
        ASSERT_EQ(ShownPage(), frmAddFile);
        EXPECT_EQ(frmAddFile->lst->count(), 0);
    }

    ScriptedFiles files;
    ScriptedFolder folder;
    std::map<std::string, std::string> original; // content as made, by path
};

struct MethodCase {
    const char* name;
    int method;
    int passes;
};

void PrintTo(const MethodCase& c, std::ostream* os)
{
    *os << c.name;
}

class EveryMethod : public Wizard, public testing::WithParamInterface<MethodCase> {};

} // namespace

TEST_P(EveryMethod, MixedListIsDestroyedAndEveryFolderAndLinkTargetStays)
{
    const MethodCase& method = GetParam();
    const std::string report = Made("report.doc", 3000, 'r');
    const std::string notes = Made("notes.txt", 10, 'n');
    const std::string hidden = Made(".hidden-key", 256, 'h');
    MakeFolder(tree / "photos");
    MakeFolder(tree / "photos/2023");
    MakeFolder(tree / "photos/2023/summer");
    MakeFolder(tree / "photos/empty");
    MakeFolder(tree / "outside");
    const std::string below[] = {Made("photos/a.jpg", 700, 'a'), Made("photos/.thumbs", 50, 't'),
                                 Made("photos/2023/b.jpg", 0, 'b'), Made("photos/2023/summer/c.jpg", 1000, 'c')};
    const std::string target = Made("outside/target.txt", 40, 'k');
    const std::string inner = Made("outside/inner.txt", 40, 'i');
    ASSERT_EQ(symlink(target.c_str(), (tree / "photos/link").c_str()), 0);
    ASSERT_EQ(symlink((tree / "outside").c_str(), (tree / "photos/2023/folder-link").c_str()), 0);

    Form1->Button2->click();
    AddFolder(tree / "photos");
    ListAndGoOn({notes, hidden, report});
    EXPECT_EQ(frmAddFile->lst->count(), 4);
    RunWith(method.method);

    EXPECT_TRUE(ProgressPageFinished());
    EXPECT_EQ(frmProgr->prg2->Max(), 9) << "seven files and two links";
    EXPECT_EQ(frmProgr->pos(), QPoint(150, 120)) << "every page move keeps the window's place";
    EXPECT_FALSE(Shredder.Stop);
    for (const auto& [path, content] : original) {
        const bool outside = path == target || path == inner;
        EXPECT_EQ(Exists(path), outside) << path;
        if (outside) {
            EXPECT_EQ(ReadFile(path), content) << path;
            continue;
        }
        const std::string& last = fs.contentAtRemoval[path];
        switch (method.method) {
        case MethodDoD:
            EXPECT_TRUE(OneBlockRepeated(last)) << path;
            EXPECT_EQ(last.substr(0, 256), fs.contentAtRemoval[report].substr(0, 256)) << "one block for the run";
            break;
        default:
            EXPECT_EQ(last, std::string(last.size(), '0')) << path;
            EXPECT_GT(last.size(), content.size()) << path;
        }
    }
    EXPECT_FALSE(Exists(tree / "photos/link"));
    EXPECT_FALSE(Exists(tree / "photos/2023/folder-link"));
    for (const char* kept : {"photos", "photos/2023", "photos/2023/summer", "photos/empty"}) {
        struct stat st;
        EXPECT_TRUE(lstat((tree / kept).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) << kept;
    }
    EXPECT_EQ(fs.opened.size(), 7u) << "each file opened once, for all its passes";
    EXPECT_EQ(fs.flushes, 7 * method.passes);
    EXPECT_FALSE(fs.contentAtRemoval[report].starts_with(std::string(256, 'r')));
}

INSTANTIATE_TEST_SUITE_P(Wizard, EveryMethod,
                         testing::Values(MethodCase{"Fast", MethodFast, 1}, MethodCase{"Balanced", MethodBalanced, 2},
                                         MethodCase{"Thorough", MethodThorough, 5}, MethodCase{"DoD", MethodDoD, 5}),
                         [](const testing::TestParamInfo<MethodCase>& tested) { return tested.param.name; });

TEST_F(Wizard, MethodChoiceSurvivesBackAndForthAndARestart)
{
    const std::string first = Made("first", 300, 'f');
    const std::string second = Made("second", 300, 's');
    Form1->Button2->click();
    ListAndGoOn({first});
    EXPECT_EQ(CheckedMethod(), MethodBalanced) << "the first run offers the recommended method";
    MethodButton(MethodDoD)->click();
    frmSpo->Button3->click();
    ASSERT_EQ(ShownPage(), frmAddFile);
    EXPECT_EQ(frmAddFile->lst->count(), 1) << "going back keeps the list";
    frmAddFile->Button2->click();
    ASSERT_EQ(ShownPage(), frmSpo);
    EXPECT_EQ(CheckedMethod(), MethodDoD);
    frmSpo->Button2->click();
    ASSERT_TRUE(ProgressPageFinished());
    EXPECT_TRUE(OneBlockRepeated(fs.contentAtRemoval[first]));
    EXPECT_NE(fs.contentAtRemoval[first], std::string(fs.contentAtRemoval[first].size(), '0'))
        << "the DoD block, not the zero character";

    Restart();
    frmAddFile->Button3->click();
    ASSERT_EQ(ShownPage(), Form1);
    Form1->Button2->click();
    ListAndGoOn({second});
    EXPECT_EQ(CheckedMethod(), MethodDoD) << "a new run starts with the last choice";
    frmSpo->Button2->click();
    EXPECT_TRUE(ProgressPageFinished());
    EXPECT_FALSE(Exists(second));
    EXPECT_TRUE(OneBlockRepeated(fs.contentAtRemoval[second]));
    EXPECT_EQ(frmProgr->pos(), QPoint(150, 120));
}

TEST_F(Wizard, StopInTheMiddleThenRestartAndASecondRunThatWorks)
{
    const std::string big = Made("1-big", 4000, 'x');
    const std::string small = Made("2-small", 100, 'y');
    const std::string last = Made("3-last", 100, 'z');
    fs.afterWrite = [](int write) {
        if (write == 3)
            PostClick(frmProgr->Button4);
    };
    Form1->Button2->click();
    ListAndGoOn({big, small, last});
    {
        ModalWatcher watcher;
        RunWith(MethodThorough);
        ASSERT_EQ(watcher.seen().size(), 1u) << "the report: the stopped file's unwritten part remains";
        EXPECT_EQ(watcher.seen()[0].title, "Sorvex : Personal Edition");
        EXPECT_EQ(watcher.seen()[0].icon, QMessageBox::Warning);
        EXPECT_TRUE(watcher.seen()[0].text.contains(ReasonText(Remains::Stopped)));
    }
    EXPECT_EQ(fs.writes, 3) << "the run ends right after the block in which Стоп was pressed";
    EXPECT_EQ(fs.contentAtRemoval[big], std::string(768, '0') + std::string(4000 - 768, 'x'));
    EXPECT_FALSE(Exists(big));
    EXPECT_EQ(ReadFile(small), original[small]);
    EXPECT_EQ(ReadFile(last), original[last]);
    EXPECT_TRUE(ProgressPageFinished());
    EXPECT_FALSE(Shredder.Stop);

    fs.afterWrite = nullptr;
    Restart();
    ListAndGoOn({small, last});
    EXPECT_EQ(CheckedMethod(), MethodThorough);
    frmSpo->Button2->click();
    EXPECT_TRUE(ProgressPageFinished());
    EXPECT_FALSE(Exists(small));
    EXPECT_FALSE(Exists(last));
    EXPECT_EQ(fs.flushes, 1 + 2 * 5) << "the stopped file's flush, then every pass of both";
    EXPECT_EQ(fs.contentAtRemoval[small], std::string(5 * 256, '0'));
}

namespace {

// A fault that befalls the second file of a run, and what the error box then says.
struct FaultCase {
    const char* name;
    bool removedBeforeItsTurn; // otherwise its first write fails
    const char* message;
};

void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << c.name;
}

class ErrorInARun : public Wizard, public testing::WithParamInterface<FaultCase> {};

} // namespace

TEST_P(ErrorInARun, BoxThenStopNextAndANormalRunThatALeftoverStopDoesNotCutShort)
{
    const FaultCase& fault = GetParam();
    const std::string first = Made("a", 1000, 'a');
    const std::string second = Made("b", 500, 'b');
    const std::string third = Made("c", 500, 'c');
    const std::string fourth = Made("d", 300, 'd');
    if (fault.removedBeforeItsTurn) {
        fs.afterWrite = [&](int write) {
            if (write == 1)
                unlink(second.c_str());
        };
    } else {
        fs.failWrite = [this](int) { return !fs.opened.empty() && fs.opened.back() == tree / "b"; };
    }
    Form1->Button2->click();
    ListAndGoOn({first, second, third});
    {
        ModalWatcher watcher;
        RunWith(MethodBalanced);
        // First what the run did not reach, then the error that ended it.
        ASSERT_EQ(watcher.seen().size(), 2u);
        EXPECT_EQ(watcher.seen()[0].icon, QMessageBox::Warning);
        EXPECT_TRUE(watcher.seen()[0].text.contains(QStringLiteral("не обработан: работа прервана ошибкой: 1")))
            << watcher.seen()[0].text.toStdString();
        EXPECT_EQ(watcher.seen()[1].title, "Sorvex : Personal Edition");
        EXPECT_EQ(watcher.seen()[1].text.toStdString(), fault.message + second + ".");
        EXPECT_EQ(watcher.seen()[1].icon, QMessageBox::Critical);
    }
    // The run was abandoned where it stood: the page still looks busy.
    EXPECT_FALSE(Exists(first));
    EXPECT_EQ(Exists(second), !fault.removedBeforeItsTurn) << "a file that failed is not deleted";
    EXPECT_EQ(ReadFile(third), original[third]);
    EXPECT_TRUE(frmProgr->Button4->isEnabled());
    EXPECT_FALSE(frmProgr->Button2->isEnabled());
    EXPECT_FALSE(frmProgr->st1->isVisible());

    fs.afterWrite = nullptr;
    fs.failWrite = nullptr;
    frmProgr->Button4->click();
    ASSERT_TRUE(Shredder.Stop) << "nothing is running to answer it";
    Restart();
    ListAndGoOn({third, fourth});
    const int flushesBefore = fs.flushes;
    frmSpo->Button2->click();
    EXPECT_TRUE(ProgressPageFinished());
    EXPECT_FALSE(Exists(third));
    EXPECT_FALSE(Exists(fourth));
    EXPECT_EQ(fs.flushes - flushesBefore, 2 * 2) << "both passes of both files";
    EXPECT_EQ(fs.contentAtRemoval[fourth], std::string(768, '0'));
    EXPECT_FALSE(Shredder.Stop);
}

INSTANTIATE_TEST_SUITE_P(Wizard, ErrorInARun,
                         testing::Values(FaultCase{"RemovedBeforeItsTurn", true, "Cannot open file "},
                                         FaultCase{"WriteFails", false, "Cannot write file "}),
                         [](const testing::TestParamInfo<FaultCase>& tested) { return tested.param.name; });

TEST_F(Wizard, ExitInTheMiddleOfARunEndsTheProgramOnceTheRunHasAnswered)
{
    const std::string first = Made("1", 5000, 'a');
    const std::string second = Made("2", 100, 'b');
    const std::string third = Made("3", 100, 'c');
    fs.afterWrite = [](int write) {
        if (write == 2)
            PostClick(frmProgr->Button1);
    };
    bool runReturned = false;
    const int code = RunLoopWith([&] {
        Form1->Button2->click();
        ListAndGoOn({first, second, third});
        RunWith(MethodThorough);
        runReturned = true;
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(runReturned) << "the loop ends only after the run's handler has returned";
    EXPECT_EQ(fs.writes, 2);
    EXPECT_FALSE(Exists(first)) << "the stop sequence deletes the file in hand";
    EXPECT_EQ(fs.contentAtRemoval[first], std::string(512, '0') + std::string(5000 - 512, 'a'));
    EXPECT_EQ(ReadFile(second), original[second]);
    EXPECT_EQ(ReadFile(third), original[third]);
    EXPECT_FALSE(Shredder.Stop);
}

// The edges of how a stop is answered: between two files, and with "Далее >"
// pressed before the run has answered it.

// A stop made in the pump after a file is answered there: that file is gone,
// the next keeps its name and its bytes, and nothing is reported.
TEST_F(Wizard, StopBetweenTwoFilesIsAnsweredBeforeTheNextFile)
{
    fs.afterFlush = [](int flush) {
        if (flush == 2) // the first file's second and last pass
            PostClick(frmProgr->Button4);
    };
    const std::string first = Made("a", 3000, 'a');
    const std::string second = Made("b", 3000, 'b');
    const std::string third = Made("c", 3000, 'c');
    Form1->Button2->click();
    ListAndGoOn({first, second, third});
    ModalWatcher watcher;
    RunWith(MethodBalanced);
    EXPECT_TRUE(watcher.seen().empty());
    EXPECT_FALSE(Exists(first));
    EXPECT_EQ(ReadFile(second), original[second]);
    EXPECT_EQ(ReadFile(third), original[third]);
    EXPECT_EQ(fs.opened.size(), 1u);
    EXPECT_TRUE(ProgressPageFinished());
    EXPECT_FALSE(Shredder.Stop);
}

// "&Далее >" pressed in the same pump as "&Стоп", before the run has answered
// the flag, is not taken: the run ends as stopped first, so its closing steps
// cannot undo the restart, and the next run starts with "&Стоп" available.
TEST_F(Wizard, NextPressedBeforeTheRunHasAnsweredTheStopIsNotTaken)
{
    const std::string first = Made("a", 3000, 'a');
    const std::string second = Made("b", 3000, 'b');
    fs.afterWrite = [](int write) {
        if (write == 2) {
            PostClick(frmProgr->Button4);
            PostClick(frmProgr->Button2);
        }
    };
    Form1->Button2->click();
    ListAndGoOn({first});
    {
        ModalWatcher watcher; // the report of the stopped file
        frmSpo->Button2->click();
    }
    ASSERT_EQ(ShownPage(), frmProgr);
    EXPECT_TRUE(ProgressPageFinished());
    Restart();
    bool stopOffered = false;
    bool nextOffered = true;
    fs.afterWrite = [&](int write) {
        if (write == 3) {
            stopOffered = frmProgr->Button4->isEnabled();
            nextOffered = frmProgr->Button2->isEnabled();
        }
    };
    ListAndGoOn({second});
    RunWith(MethodBalanced);
    EXPECT_TRUE(stopOffered);
    EXPECT_FALSE(nextOffered);
}
