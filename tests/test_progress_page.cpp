// The progress page: its states, its three handlers and its close box.
#include "pages/ProgressBar.h"
#include "pages/frmSposob.h"
#include "tests/support/FakeSpace.h"
#include "tests/support/Loop.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/PageRunTest.h"
#include "tests/support/PageStates.h"

#include "pages/Pump.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>

#include <unistd.h>

using namespace sorvex;

using ProgressPage = PageRunTest;

TEST_F(ProgressPage, FirstDisplayIsReadyWithStopFocused)
{
    QApplication::setActiveWindow(frmProgr);
    EXPECT_TRUE(ProgressPageReady());
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
    ASSERT_FALSE(ProgressPageReady());
    const std::int64_t prg1Max = frmProgr->prg1->Max();
    frmProgr->move(120, 130);
    ListFile("/still/listed");
    frmProgr->Button2->click();
    EXPECT_FALSE(frmProgr->isVisible());
    ASSERT_TRUE(frmAddFile->isVisible());
    EXPECT_EQ(frmAddFile->pos(), QPoint(120, 130));
    EXPECT_EQ(frmAddFile->lst->count(), 0);
    EXPECT_TRUE(ProgressPageReady());
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

namespace {

// The bar as the screen shows it, and as painting its position now would.
QImage Shown(ProgressBar& bar)
{
    return bar.screen()->grabWindow(bar.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage Painted(ProgressBar& bar)
{
    return bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

// Steps are finer than pixels, so most of them leave the bar on screen alone;
// whatever it skips, after every pump the screen shows what painting the
// position now would, a resize on the way included.
TEST(ProgressBarSteps, ScreenShowsThePositionAfterEveryPumpWithAtMostAPaintPerPixel)
{
    ProgressBar bar;
    bar.resize(300, 16);
    bar.show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    PaintCounter counter;
    bar.installEventFilter(&counter);
    bar.SetMax(60'000);
    for (int i = 0; i < 30'000; ++i) {
        bar.StepIt();
        ProcessMessages();
    }
    bar.removeEventFilter(&counter);
    EXPECT_GE(counter.paints, 100) << "half a bar of 300 pixels was filled";
    EXPECT_LE(counter.paints, 150 + 2);
    EXPECT_TRUE(Shown(bar) == Painted(bar));
    for (int i = 30'000; i < 60'000; ++i) {
        bar.StepIt();
        ProcessMessages();
        if (i == 45'000)
            bar.resize(457, 16);
        if (i % 97 == 0 || i + 1 == 60'000) {
            ASSERT_TRUE(Shown(bar) == Painted(bar)) << "at position " << bar.Position();
        }
    }
    EXPECT_EQ(bar.PaintedStep(), ProgressBar::Resolution);
}

// The pump after every block delivers a click queued at any point of a long
// run, the very next one; the message loop's timers keep running too.
TEST_F(ProgressPage, ClickQueuedDeepIntoALongRunIsTakenByTheNextPumpAndTimersRun)
{
    const std::string file = tree / "long";
    WriteFile(file, std::string(1 << 20, 'x')); // 4097 blocks a pass
    ListFile(file);
    int timerFiredAtWrite = 0;
    QTimer timer;
    timer.setInterval(1);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] { timerFiredAtWrite = fs.writes; });
    fs.afterWrite = [&](int write) {
        if (write == 100) {
            timer.start();
            usleep(5000); // the timer is due before the pump after this write
        }
        if (write == 6000)
            PostClick(frmProgr->Button4);
    };
    Shredder.Run(MethodBalanced);
    EXPECT_EQ(timerFiredAtWrite, 100);
    EXPECT_EQ(fs.writes, 6000);
    EXPECT_FALSE(Exists(file));
    EXPECT_EQ(fs.flushes, 2) << "the first pass and the stop";
}

// Files can come faster than a screen shows them: the path in hand and the
// bars are painted at the display's pace, not once per file, yet a paint for
// a reason of its own shows the file in hand.
TEST_F(ProgressPage, PathAndBarsArePaintedAtTheDisplaysPaceAndAlwaysTrue)
{
    MakeFolder(tree / "many");
    for (int i = 0; i < 3000; ++i)
        WriteFile(tree / ("many/" + std::to_string(10000 + i)), "x");
    frmAddFile->AddEntry(QByteArray::fromStdString(tree / "many/"), FolderImage);
    PaintCounter labelPaints;
    PaintCounter barPaints;
    frmProgr->lblFile->installEventFilter(&labelPaints);
    frmProgr->prg2->installEventFilter(&barPaints);
    std::vector<bool> trueWhenPainted;
    fs.beforeRemove = [&](const std::string& path) {
        if (fs.removed.size() % 500 == 0) { // a paint for a reason of its own, now
            frmProgr->lblFile->repaint();
            trueWhenPainted.push_back(frmProgr->lblFile->text().toStdString() == path);
        }
    };
    QElapsedTimer clock;
    clock.start();
    Shredder.Run(MethodFast);
    const qint64 ms = clock.elapsed();
    frmProgr->lblFile->removeEventFilter(&labelPaints);
    frmProgr->prg2->removeEventFilter(&barPaints);
    EXPECT_EQ(fs.removed.size(), 3000u);
    EXPECT_EQ(trueWhenPainted, std::vector<bool>(6, true));
    // About the display's pace (the forced paints and a loaded machine's odd
    // extra frame aside): far from the 3,000 paints of one per file.
    const int paced = static_cast<int>(ms / 16) + 40;
    EXPECT_LE(labelPaints.paints, paced) << ms << " ms";
    EXPECT_LE(barPaints.paints, paced) << ms << " ms";
    EXPECT_EQ(Label(), fs.removed.back()) << "the last file, once the run is over";
}

// When a run ends, the focus leaves the withdrawn "Стоп" for "Далее >": the
// next Space or Enter goes on, as the hints say, and does not end the program.
TEST_F(ProgressPage, FocusGoesToNextWhenTheRunEnds)
{
    QApplication::setActiveWindow(frmProgr);
    ASSERT_EQ(QApplication::focusWidget(), frmProgr->Button4);
    ListFile(tree / "none");
    WriteFile(tree / "none", "x");
    Shredder.Run(MethodFast);
    EXPECT_EQ(QApplication::focusWidget(), frmProgr->Button2);
}

// A path too long for the page keeps its file name in sight: its middle goes.
TEST_F(ProgressPage, LongPathKeepsItsFileNameInSight)
{
    const QString folders = QStringLiteral("/home/user/Документы/архив/") + QString(u'п').repeated(120) + u'/';
    const struct {
        QString path;
        bool whole;
    } cases[] = {
        {QStringLiteral("/tmp/short.txt"), true},
        {folders + QStringLiteral("налоговая-декларация-2022.pdf"), false},
        {folders + QString(u'и').repeated(300), false}, // a name longer than the page: its end stays
    };
    const QFontMetrics metrics(frmProgr->lblFile->font());
    for (const auto& each : cases) {
        const QString shown = frmProgr->FitToLabel(each.path);
        EXPECT_LE(metrics.horizontalAdvance(shown), frmProgr->lblFile->width()) << each.path.toStdString();
        if (each.whole) {
            EXPECT_EQ(shown, each.path);
            continue;
        }
        EXPECT_TRUE(shown.startsWith(QStringLiteral("/home/user/"))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(u'…')) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(each.path.right(12))) << shown.toStdString();
    }
    EXPECT_TRUE(frmProgr->FitToLabel(cases[1].path).endsWith(QStringLiteral("налоговая-декларация-2022.pdf")));
}

namespace {

// A session bus of the test's own, with a stand-in notification service on it
// that also hears what docks are shown: "docked" and "cleared" as the progress
// is shown and cleared, "summary: body" of each notification.
class DesktopBus : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList heard;
    QProcess daemon;
    QString address;

    QDBusConnection Connect(const QString& name)
    {
        if (daemon.state() == QProcess::NotRunning) {
            daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
            daemon.waitForReadyRead(10000);
            address = QString::fromUtf8(daemon.readLine()).trimmed();
        }
        return QDBusConnection::connectToBus(address, name);
    }

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body, const QStringList&,
                const QVariantMap&, int)
    {
        heard << summary + QStringLiteral(": ") + body;
        return 1;
    }
    void Update(const QString&, const QVariantMap& properties)
    {
        const QString word = properties.value(QStringLiteral("progress-visible")).toBool() ? "docked" : "cleared";
        if (heard.isEmpty() || heard.back() != word)
            heard << word;
    }
};

struct EndCase {
    const char* name;
    bool active; // the progress page is the active window as the run ends
    std::vector<std::string> files; // listed in this order; "b-" is gone before its turn
    bool stop; // "Стоп" at the first block
    const char* told; // by the notification, if any
};

class RunEnds : public PageRunTest, public testing::WithParamInterface<EndCase> {};

} // namespace

// A run that ends while no window of Sorvex is active says so in one
// notification; one that ends in front says nothing. Docks are shown its
// progress, cleared at every end.
TEST_P(RunEnds, AreToldOutsideTheWindowOnlyBehindIt)
{
    DesktopBus bus;
    QDBusConnection listener = bus.Connect(QStringLiteral("listener"));
    ASSERT_TRUE(listener.registerService(QStringLiteral("org.freedesktop.Notifications"))) << "dbus-daemon";
    listener.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &bus, QDBusConnection::ExportAllSlots);
    listener.connect({}, {}, "com.canonical.Unity.LauncherEntry", "Update", &bus, SLOT(Update(QString, QVariantMap)));
    frmProgr->Outside.UseBus(bus.Connect(QStringLiteral("program")));
    for (const std::string& name : GetParam().files) {
        if (name.back() != '-')
            WriteFile(tree / name, std::string(3000, 'r'));
        ListFile(tree / name);
    }
    fs.afterWrite = [stop = GetParam().stop](int) { Shredder.Stop = Shredder.Stop || stop; };
    QCoreApplication::processEvents(); // the page's own activation on show, first
    QApplication::setActiveWindow(GetParam().active ? frmProgr : nullptr);
    const ModalWatcher boxes; // the report
    try {
        Shredder.Run(MethodBalanced);
    } catch (const std::exception&) { // the file gone before its turn
    }
    QElapsedTimer clock;
    for (clock.start(); bus.heard.size() < 2 || bus.heard.back() != "cleared"; QCoreApplication::processEvents())
        ASSERT_LT(clock.elapsed(), 10000) << bus.heard.join(u'|').toStdString();
    QStringList told{"docked", "cleared"};
    if (*GetParam().told != '\0')
        told.insert(1, QString::fromUtf8(GetParam().told));
    EXPECT_EQ(bus.heard, told);
    QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
    QDBusConnection::disconnectFromBus(QStringLiteral("program"));
    bus.daemon.kill();
    bus.daemon.waitForFinished();
}

// What a stopped run and a failed one tell; a finished one, in the driven walk (tests/e2e/real_program.sh).
const char* const StoppedText = "Уничтожение файлов остановлено: Уничтожено файлов: 0. В окне Sorvex ждёт отчёт о том, "
                                "что могло остаться.";
// The file that ended the run is in the report shown before the error.
const char* const FailedText = "Уничтожение файлов прервано ошибкой: Уничтожено файлов: 1. В окне Sorvex ждёт отчёт о "
                               "том, что могло остаться. Сообщение об ошибке ждёт в окне Sorvex.";
INSTANTIATE_TEST_SUITE_P(Ends, RunEnds,
                         testing::Values(EndCase{"InFront", true, {"a", "b-"}, false, ""},
                                         EndCase{"StoppedBehind", false, {"a", "b"}, true, StoppedText},
                                         EndCase{"FailedBehind", false, {"a", "b-"}, false, FailedText}),
                         [](const testing::TestParamInfo<EndCase>& tested) { return tested.param.name; });

namespace {

// The parameter: the old bytes went free with the file (copy on write), or
// another name keeps them (a hard link).
class WipeOffer : public PageRunTest, public testing::WithParamInterface<bool> {
protected:
    FakeSpace space;
};

INSTANTIATE_TEST_SUITE_P(Reports, WipeOffer, testing::Bool(),
                         [](const auto& tested) { return tested.param ? "CopyOnWrite" : "HardLink"; });

} // namespace

// The report of a run whose overwrite went elsewhere offers the wipe of the
// free space; pressed, it runs on this page after the run, whose file system
// it names, and tells what it did. A report of nothing a wipe reaches offers none.
TEST_P(WipeOffer, TheReportBoxOffersAWipeWhereItReachesWhatRemains)
{
    const std::string file = tree / "f";
    WriteFile(file, std::string(3000, 'x'));
    if (!GetParam()) {
        ASSERT_EQ(::link(file.c_str(), (tree / "other").c_str()), 0);
    }
    ListFile(file);
    fs.fileSystem = FileSystemInfo{};
    fs.extents = [](int read, ExtentMap& out) { // a new place at every pass: copy on write
        out = {{0, 4096u * static_cast<std::uint64_t>(read), 1 << 20, 0}};
        return true;
    };
    bool offered = false;
    ModalWatcher watcher([&offered](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        for (QAbstractButton* button : box->buttons()) {
            offered = offered || button->text() == "Затереть свободное место";
            if (button->text() == "Затереть свободное место")
                return button->click();
        }
        box->accept();
    });
    frmSpo->Button2->click();
    EXPECT_EQ(offered, GetParam());
    ASSERT_EQ(watcher.seen().size(), GetParam() ? 2u : 1u);
    EXPECT_EQ(space.filled > 0, GetParam());
    EXPECT_TRUE(frmProgr->Button2->isEnabled() && !frmProgr->Button4->isEnabled()) << "the closing steps ran";
    if (GetParam()) {
        EXPECT_EQ(Label(), "/fake");
        EXPECT_TRUE(watcher.seen()[1].text.startsWith("Свободное место затёрто.\n\n— /fake (ext4): записано"));
        EXPECT_EQ(watcher.seen()[1].icon, QMessageBox::Information);
    }
}

#include "test_progress_page.moc"
