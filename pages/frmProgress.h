#pragma once

#include "engine/RunView.h"
#include "pages/Page.h"
#include "pages/RunOutside.h"

#include <QByteArray>

#include <chrono>
#include <string>
#include <vector>

class QFrame;
class QLabel;
class QPushButton;
namespace sorvex {
class ProgressBar;
}

// The progress page: the engine's display while a run goes on.
class TfrmProgr : public sorvex::Page, public sorvex::RunView {
    Q_OBJECT
public:
    TfrmProgr();

    QFrame* Panel1;
    QLabel* Label1;
    QLabel* Label2;
    QFrame* Panel2;
    QLabel* lblFile;
    sorvex::ProgressBar* prg1;
    QLabel* StaticText2;
    sorvex::ProgressBar* prg2;
    QPushButton* Button4;
    QLabel* st1;
    QLabel* st2;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    // What docks, task bars and notifications hear of a run.
    sorvex::RunOutside Outside;

    void Button1Click() override;
    void Button2Click();
    void Button4Click();

    // What a run shows here.
    void ShowPreparing() override;
    void ShowPath(std::string_view path) override;
    void SetRange(sorvex::Bar bar, std::int64_t min, std::int64_t max) override;
    void SetPosition(sorvex::Bar bar, std::int64_t position) override;
    void Step(sorvex::Bar bar, std::int64_t by) override;
    void Fill(sorvex::Bar bar) override;
    void ClosingSteps() override;
    void Pump() override;
    void RunEnded(const sorvex::RunReport& report, sorvex::RunEnd how) override;
    void ShowReport(const sorvex::RunReport& report) override;
    void ShowWipeReport(const sorvex::WipeReport& report) override;
    void ShowAllNow() override;

    // Writes over the free space of the file systems holding the folders (raw
    // bytes), shown here as a run is: the page made ready, "Стоп" offered.
    void WipeFreeSpace(const std::vector<std::string>& folders);
    // The wipe the last run's report box was asked for, if it was.
    void WipeAskedFor();

    // A caption as lblFile shows it: whole when it fits, otherwise with its
    // middle left out, so that the file's name stays in sight.
    QString FitToLabel(const QString& caption) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Brings lblFile up to date whenever it is about to be painted.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    sorvex::ProgressBar& BarOf(sorvex::Bar bar) const;
    double OverallShare() const;
    void MakeReady();
    // What changes per file or per block reaches the screen at most this often.
    static constexpr std::chrono::milliseconds PaintEvery{16};
    void PresentWhenDue();
    void Present();

    QByteArray path_; // the file in hand, shown at the next Present
    bool pathShown_ = true;
    bool labelRepaintIsOurs_ = false; // the label's next paint is the one Present asked for
    std::chrono::steady_clock::time_point presented_;
    bool leaving_ = false; // "Выход" was pressed: the program ends once the run has returned
    std::vector<std::string> wipeAsked_; // folders whose free space the report box was asked to wipe
};

extern TfrmProgr* frmProgr;
