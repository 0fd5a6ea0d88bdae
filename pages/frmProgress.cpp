#include "pages/frmProgress.h"

#include "engine/CShredder.h"
#include "engine/FreeSpaceWipe.h"
#include "pages/Dispatch.h"
#include "pages/ProgressBar.h"
#include "pages/Pump.h"
#include "pages/RawPath.h"
#include "pages/ReportBox.h"
#include "pages/WipeBox.h"
#include "pages/frmAddFiles.h"
#include "ui_frmProgress.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>

#include <algorithm>

using namespace sorvex;

TfrmProgr* frmProgr = nullptr;

TfrmProgr::TfrmProgr() : Page({189, 107}, Frame::Ordinary)
{
    Ui::TfrmProgr ui;
    ui.setupUi(this);
    Panel1 = ui.Panel1;
    Label1 = ui.Label1;
    Label2 = ui.Label2;
    Panel2 = ui.Panel2;
    lblFile = ui.lblFile;
    prg1 = ui.prg1;
    StaticText2 = ui.StaticText2;
    prg2 = ui.prg2;
    Button4 = ui.Button4;
    st1 = ui.st1;
    st2 = ui.st2;
    Button1 = ui.Button1;
    Button2 = ui.Button2;
    Button3 = ui.Button3;
    Bind(Button1, this, &TfrmProgr::Button1Click);
    Bind(Button2, this, &TfrmProgr::Button2Click);
    Bind(Button4, this, &TfrmProgr::Button4Click);
    prg1->SetPaced(true);
    prg2->SetPaced(true);
    lblFile->installEventFilter(this);
    DescribeBy({Label1, Label2});
    Button4->setFocus();
}

// Stops any run at its next look at the flag, then ends the program.
void TfrmProgr::Button1Click()
{
    Shredder.Stop = true;
    leaving_ = true;
    Terminate();
}

// Back to the file selection page with an empty list, this page made ready for the next run.
void TfrmProgr::Button2Click()
{
    // "&Стоп" offers this at once, but a run under way answers the stop only
    // after the pump that brought this click; restarting now would let its
    // closing steps land on the next run's page.
    if (Shredder.Running())
        return;
    frmAddFile->lst->clear();
    MovePage(this, frmAddFile);
    MakeReady();
}

// As the page is before a run: both bars at 0, "Стоп" offered, the hints hidden.
void TfrmProgr::MakeReady()
{
    prg1->SetPosition(0);
    prg2->SetPosition(0);
    Present();
    Button4->setEnabled(true);
    st1->hide();
    st2->hide();
    Button2->setEnabled(false);
}

void TfrmProgr::WipeFreeSpace(const std::vector<std::string>& folders)
{
    MakeReady();
    Button4->setFocus();
    Shredder.Stop = false; // a stop left over must not cut this short
    Shredder.WipeFreeSpace(folders);
}

void TfrmProgr::WipeAskedFor()
{
    const std::vector<std::string> folders = std::move(wipeAsked_);
    wipeAsked_.clear();
    if (!folders.empty() && !leaving_)
        WipeFreeSpace(folders);
}

void TfrmProgr::Button4Click()
{
    Shredder.Stop = true;
    Button2->setEnabled(true);
}

void TfrmProgr::resizeEvent(QResizeEvent*)
{
    // The two panels follow the window's width; everything else stays put.
    Panel1->resize(width(), Panel1->height());
    Panel2->resize(width(), Panel2->height());
}

void TfrmProgr::ShowPreparing()
{
    Outside.Started();
    pathShown_ = true;
    lblFile->setText(QStringLiteral("Идёт подготовка к удалению."));
}

// Files can come faster than any screen shows them: the path is kept here
// and painted at the display's pace, never with a round trip per file.
void TfrmProgr::ShowPath(std::string_view path)
{
    path_.resize(static_cast<qsizetype>(path.size())); // keeps its capacity from file to file
    std::copy(path.begin(), path.end(), path_.begin());
    pathShown_ = false;
}

void TfrmProgr::Present()
{
    if (!pathShown_) {
        pathShown_ = true;
        labelRepaintIsOurs_ = true;
        lblFile->setText(FitToLabel(CaptionOf(path_)));
    }
    prg1->Present();
    prg2->Present();
    Outside.Progress(OverallShare());
}

// The files done, and the part of the file in hand its bar shows; a full bar
// is about to be counted among the files done.
double TfrmProgr::OverallShare() const
{
    const auto span = [](const ProgressBar& bar) { return static_cast<double>(bar.Max() - bar.Min()); };
    const auto done = [](const ProgressBar& bar) { return static_cast<double>(bar.Position() - bar.Min()); };
    if (span(*prg2) <= 0)
        return 0;
    double files = done(*prg2);
    if (span(*prg1) > 0 && prg1->Position() < prg1->Max())
        files += done(*prg1) / span(*prg1);
    return std::clamp(files / span(*prg2), 0.0, 1.0);
}

QString TfrmProgr::FitToLabel(const QString& caption) const
{
    return QFontMetrics(lblFile->font()).elidedText(caption, Qt::ElideMiddle, lblFile->width());
}

void TfrmProgr::PresentWhenDue()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - presented_ >= PaintEvery) {
        presented_ = now;
        Present();
    }
}

// A paint the run did not ask for (the window uncovered, say) shows the file
// in hand too. The repaint that showing it asks for is let through as it is:
// taking the next file there would paint once per file again.
bool TfrmProgr::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblFile && event->type() == QEvent::Paint) {
        const bool ours = labelRepaintIsOurs_;
        labelRepaintIsOurs_ = false;
        if (!ours && !pathShown_)
            Present();
    }
    return Page::eventFilter(watched, event);
}

ProgressBar& TfrmProgr::BarOf(Bar bar) const
{
    return bar == Bar::File ? *prg1 : *prg2;
}

void TfrmProgr::SetRange(Bar bar, std::int64_t min, std::int64_t max)
{
    BarOf(bar).SetMin(min);
    BarOf(bar).SetMax(max);
}

void TfrmProgr::SetPosition(Bar bar, std::int64_t position)
{
    BarOf(bar).SetPosition(position);
}

void TfrmProgr::Step(Bar bar, std::int64_t by)
{
    BarOf(bar).StepIt(by);
}

void TfrmProgr::Fill(Bar bar)
{
    BarOf(bar).SetPosition(BarOf(bar).Max());
}

void TfrmProgr::ClosingSteps()
{
    Present();
    Button1->setEnabled(true);
    Button2->setEnabled(true);
    Button4->setEnabled(false);
    // "Стоп" had the focus; the next key goes to "Далее >", as the hints say, not to "Выход".
    Button2->setFocus();
    st1->setVisible(true);
    st2->setVisible(true);
}

void TfrmProgr::Pump()
{
    PresentWhenDue();
    ProcessMessages();
}

// Said after every run that leaves something behind, but not to a user who
// has chosen to leave the program.
void TfrmProgr::ShowAllNow()
{
    Present();
}

void TfrmProgr::RunEnded(const RunReport& report, RunEnd how)
{
    Outside.Ended({report.destroyed, how, !leaving_ && !report.Empty()}, QApplication::activeWindow() != nullptr);
}

void TfrmProgr::ShowReport(const RunReport& report)
{
    Present();
    if (!leaving_ && ShowReportBox(report, this))
        wipeAsked_ = FoldersToWipe(report);
}

void TfrmProgr::ShowWipeReport(const WipeReport& report)
{
    Present();
    if (!leaving_)
        ShowWipeBox(report, this);
}
