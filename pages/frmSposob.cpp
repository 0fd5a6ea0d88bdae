#include "pages/frmSposob.h"

#include "engine/CShredder.h"
#include "pages/Dispatch.h"
#include "pages/Pump.h"
#include "pages/frmAddFiles.h"
#include "pages/frmProgress.h"
#include "ui_frmSposob.h"

using namespace sorvex;

TfrmSpo* frmSpo = nullptr;

TfrmSpo::TfrmSpo() : Page({189, 107}, Frame::Dialog)
{
    Ui::TfrmSpo ui;
    ui.setupUi(this);
    Panel1 = ui.Panel1;
    Label1 = ui.Label1;
    Label2 = ui.Label2;
    Panel2 = ui.Panel2;
    RadioButton1 = ui.RadioButton1;
    StaticText1 = ui.StaticText1;
    RadioButton2 = ui.RadioButton2;
    StaticText2 = ui.StaticText2;
    RadioButton3 = ui.RadioButton3;
    StaticText3 = ui.StaticText3;
    RadioButton4 = ui.RadioButton4;
    StaticText4 = ui.StaticText4;
    StaticText5 = ui.StaticText5;
    Button1 = ui.Button1;
    Button2 = ui.Button2;
    Button3 = ui.Button3;
    Bind(Button1, this, &TfrmSpo::Button1Click);
    Bind(Button2, this, &TfrmSpo::Button2Click);
    Bind(Button3, this, &TfrmSpo::Button3Click);
    DescribeBy({Label1, Label2});
    // Each method is described by the text below it, and "Далее >" by the warning beside it.
    RadioButton1->setAccessibleDescription(StaticText1->text());
    RadioButton2->setAccessibleDescription(StaticText2->text());
    RadioButton3->setAccessibleDescription(StaticText3->text());
    RadioButton4->setAccessibleDescription(StaticText4->text());
    Button2->setAccessibleDescription(StaticText5->text());
    RadioButton2->setFocus();
}

void TfrmSpo::Button1Click()
{
    Terminate();
}

// Shows the progress page and runs the checked method there; the whole run
// happens inside this handler, and so does the wipe of the free space its
// report box may be asked for, after the error box of a run an error ended.
void TfrmSpo::Button2Click()
{
    // A stop left over from an earlier run must not cut this one short; one
    // asked for while the page moves (the session ending) must.
    Shredder.Stop = false;
    MovePage(this, frmProgr);
    Dispatch([this] { RunChecked(); });
    frmProgr->WipeAskedFor();
}

void TfrmSpo::RunChecked()
{
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
