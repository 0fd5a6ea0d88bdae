#include "pages/frmProgress.h"

#include "app/Application.h"
#include "app/Dispatch.h"

#include <QCloseEvent>

TfrmProgr* frmProgr = nullptr;

TfrmProgr::TfrmProgr(QWidget* parent) : QWidget(parent)
{
    setupUi(this);
    move(189, 107); // design position
    Bind(Button1, this, &TfrmProgr::Button1Click);
    Button4->setFocus();
}

void TfrmProgr::Button1Click()
{
    Terminate();
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
