// The progress page: its states, its three handlers and its close box.
#include "pages/ProgressBar.h"
#include "pages/frmSposob.h"
#include "tests/support/EngineTest.h"

#include <QResizeEvent>
#include <QTimer>

using ProgressPage = EngineTest;

namespace {

bool Ready()
{
    return frmProgr->Button4->isEnabled() && !frmProgr->Button2->isEnabled() && frmProgr->Button1->isEnabled() &&
           !frmProgr->Button3->isEnabled() && !frmProgr->st1->isVisible() && !frmProgr->st2->isVisible();
}

// Runs the message loop with a handler posted into it; 99 when the loop did not end.
int RunLoopWith(const std::function<void()>& handler)
{
    QTimer::singleShot(0, handler);
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    return QCoreApplication::exec();
}

} // namespace

TEST_F(ProgressPage, FirstDisplayIsReadyWithStopFocused)
{
    QApplication::setActiveWindow(frmProgr);
    EXPECT_TRUE(Ready());
    EXPECT_EQ(frmProgr->prg1->Position(), 0);
    EXPECT_EQ(frmProgr->prg2->Position(), 0);
    EXPECT_EQ(frmProgr->prg1->Max(), 100);
    EXPECT_EQ(frmProgr->focusWidget(), frmProgr->Button4);
    EXPECT_EQ(frmProgr->prg1->geometry(), QRect(24, 32, 457, 16));
    EXPECT_EQ(frmProgr->prg2->geometry(), QRect(24, 96, 457, 17));
    EXPECT_EQ(frmProgr->Button4->text(), "&Стоп");
}

TEST_F(ProgressPage, PanelsFollowTheWidthAndNothingElseMoves)
{
    frmProgr->resize(700, 450);
    QCoreApplication::processEvents();
    EXPECT_EQ(frmProgr->Panel1->width(), 700);
    EXPECT_EQ(frmProgr->Panel2->width(), 700);
    EXPECT_EQ(frmProgr->Panel2->height(), 256);
    EXPECT_EQ(frmProgr->prg1->geometry(), QRect(24, 32, 457, 16));
    EXPECT_EQ(frmProgr->Button1->geometry(), QRect(424, 328, 75, 23));
}

TEST_F(ProgressPage, StopSetsTheFlagAndOffersNextAtOnce)
{
    frmProgr->Button4->click();
    EXPECT_TRUE(Shredder.Stop);
    EXPECT_TRUE(frmProgr->Button2->isEnabled());
    EXPECT_TRUE(frmProgr->Button4->isEnabled());
    EXPECT_FALSE(frmProgr->Button3->isEnabled());
}

TEST_F(ProgressPage, RestartLeadsToAnEmptyListAndAReadyPage)
{
    const std::string file = tree / "f";
    WriteFile(file, "x");
    ListFile(file);
    Shredder.Run(MethodBalanced);
    ASSERT_FALSE(Ready());
    const std::int64_t prg1Max = frmProgr->prg1->Max();
    frmProgr->move(120, 130);
    ListFile("/still/listed");
    frmProgr->Button2->click();
    EXPECT_FALSE(frmProgr->isVisible());
    ASSERT_TRUE(frmAddFile->isVisible());
    EXPECT_EQ(frmAddFile->pos(), QPoint(120, 130));
    EXPECT_EQ(frmAddFile->lst->count(), 0);
    EXPECT_TRUE(Ready());
    EXPECT_EQ(frmProgr->prg1->Position(), 0);
    EXPECT_EQ(frmProgr->prg2->Position(), 0);
    EXPECT_EQ(frmProgr->prg1->Max(), prg1Max) << "ranges stay as the run left them";
    EXPECT_EQ(Label(), file) << "the last path stays until the next run";
}

TEST_F(ProgressPage, ExitDuringARunEndsTheProgramOnceTheRunHasAnswered)
{
    const std::string first = tree / "1";
    const std::string second = tree / "2";
    WriteFile(first, std::string(5000, 'a'));
    WriteFile(second, "b");
    ListFile(first);
    ListFile(second);
    fs.afterWrite = [](int write) {
        if (write == 2)
            PostClick(frmProgr->Button1);
    };
    bool runReturned = false;
    const int code = RunLoopWith([&] {
        Shredder.Run(MethodThorough);
        runReturned = true;
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(runReturned);
    EXPECT_EQ(fs.writes, 2);
    EXPECT_FALSE(Exists(first)) << "the stop sequence deletes the file in hand";
    EXPECT_TRUE(Exists(second));
    EXPECT_FALSE(Shredder.Stop);
}

TEST_F(ProgressPage, CloseBoxActsLikeExitAndNeverOnlyHidesThePage)
{
    const int code = RunLoopWith([] { frmProgr->close(); });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(Shredder.Stop);
    EXPECT_TRUE(frmProgr->isVisible());
}

TEST_F(ProgressPage, NextStaysUnavailableDuringASecondRun)
{
    const std::string file = tree / "f";
    for (int run = 0; run < 2; ++run) {
        WriteFile(file, std::string(600, 'z'));
        ListFile(file);
        std::vector<bool> nextDuringRun;
        fs.afterWrite = [&](int) { nextDuringRun.push_back(frmProgr->Button2->isEnabled()); };
        Shredder.Run(MethodBalanced);
        EXPECT_EQ(std::count(nextDuringRun.begin(), nextDuringRun.end(), true), 0) << "run " << run;
        EXPECT_TRUE(frmProgr->Button2->isEnabled());
        frmProgr->Button2->click();
    }
}

TEST(ProgressBarSteps, RepaintsOnlyWhenThePaintedBarChangesAndEndsExact)
{
    ProgressBar bar;
    bar.SetMin(0);
    bar.SetMax(1'000'000);
    int changes = 0;
    int painted = bar.PaintedStep();
    for (int i = 0; i < 1'000'000; ++i) {
        bar.StepIt();
        if (bar.PaintedStep() != painted) {
            ++changes;
            EXPECT_GT(bar.PaintedStep(), painted);
            painted = bar.PaintedStep();
        }
        const auto exact = static_cast<int>(static_cast<double>(bar.Position()) / 1'000'000 * ProgressBar::Resolution);
        ASSERT_EQ(bar.PaintedStep(), exact) << "at " << bar.Position();
    }
    EXPECT_EQ(bar.Position(), 1'000'000);
    EXPECT_EQ(bar.PaintedStep(), ProgressBar::Resolution);
    EXPECT_EQ(changes, ProgressBar::Resolution);
}

TEST(ProgressBarSteps, HugeAndEmptyRanges)
{
    ProgressBar bar;
    const std::int64_t huge = std::int64_t{5} << 55; // five passes over the largest file
    bar.SetMax(huge);
    bar.SetPosition(huge / 2);
    EXPECT_EQ(bar.PaintedStep(), ProgressBar::Resolution / 2);
    bar.StepIt();
    bar.SetPosition(huge);
    EXPECT_EQ(bar.PaintedStep(), ProgressBar::Resolution);
    bar.SetMax(0);
    bar.SetPosition(0);
    EXPECT_EQ(bar.PaintedStep(), 0);
    bar.StepIt();
    EXPECT_EQ(bar.Position(), 1);
}
