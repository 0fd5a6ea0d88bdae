#include "pages/frmProgress.h"

#include "app/Application.h"
#include "app/Dispatch.h"
#include "app/PageFrame.h"
#include "engine/CShredder.h"
#include "pages/frmAddFiles.h"

#include <QCloseEvent>

TfrmProgr* frmProgr = nullptr;

TfrmProgr::TfrmProgr(QWidget* parent) : QWidget(parent)
{
    setupUi(this);
    move(189, 107); // design position
    Bind(Button1, this, &TfrmProgr::Button1Click);
    Bind(Button2, this, &TfrmProgr::Button2Click);
    Bind(Button4, this, &TfrmProgr::Button4Click);
    Button4->setFocus();
}

// Stops any run at its next look at the flag, then ends the program.
void TfrmProgr::Button1Click()
{
    Shredder.Stop = true;
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
    prg1->SetPosition(0);
    prg2->SetPosition(0);
    Button4->setEnabled(true);
    st1->hide();
    st2->hide();
    Button2->setEnabled(false);
}

void TfrmProgr::Button4Click()
{
    Shredder.Stop = true;
    Button2->setEnabled(true);
}

void TfrmProgr::closeEvent(QCloseEvent* event)
{
    event->ignore();
    Dispatch([this] { Button1Click(); });
}

void TfrmProgr::resizeEvent(QResizeEvent*)
{
    // The two panels follow the window's width; everything else stays put.
    Panel1->resize(width(), Panel1->height());
    Panel2->resize(width(), Panel2->height());
}
