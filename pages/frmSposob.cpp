#include "pages/frmSposob.h"

#include "app/Application.h"
#include "app/Dispatch.h"
#include "app/PageFrame.h"
#include "engine/CShredder.h"
#include "pages/frmAddFiles.h"
#include "pages/frmProgress.h"

#include <QCloseEvent>

TfrmSpo* frmSpo = nullptr;

TfrmSpo::TfrmSpo(QWidget* parent) : QWidget(parent)
{
    setupUi(this);
    move(189, 107); // design position
    UseDialogFrame(this);
    Bind(Button1, this, &TfrmSpo::Button1Click);
    Bind(Button2, this, &TfrmSpo::Button2Click);
    Bind(Button3, this, &TfrmSpo::Button3Click);
    RadioButton2->setFocus();
}

void TfrmSpo::Button1Click()
{
    Terminate();
}

// Shows the progress page and runs the checked method there; the whole run
// happens inside this handler.
void TfrmSpo::Button2Click()
{
    MovePage(this, frmProgr);
    // A stop left over from an earlier run must not cut this one short.
    Shredder.Stop = false;
    if (RadioButton1->isChecked())
        Shredder.Run(MethodFast);
    if (RadioButton2->isChecked())
        Shredder.Run(MethodBalanced);
    if (RadioButton3->isChecked())
        Shredder.Run(MethodThorough);
    if (RadioButton4->isChecked())
        Shredder.Run(MethodDoD);
}

void TfrmSpo::Button3Click()
{
    MovePage(this, frmAddFile);
}

void TfrmSpo::closeEvent(QCloseEvent* event)
{
    event->ignore();
    Dispatch([this] { Button1Click(); });
}
