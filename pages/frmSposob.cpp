#include "pages/frmSposob.h"

#include "app/Application.h"
#include "app/Dispatch.h"
#include "app/PageFrame.h"
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

void TfrmSpo::Button2Click()
{
    MovePage(this, frmProgr);
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
