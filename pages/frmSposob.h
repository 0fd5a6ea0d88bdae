#pragma once

#include "pages/Page.h"

class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;

// The method selection page: four overwrite methods, one of them checked.
class TfrmSpo : public sorvex::Page {
    Q_OBJECT
public:
    TfrmSpo();

    QFrame* Panel1;
    QLabel* Label1;
    QLabel* Label2;
    QFrame* Panel2;
    QRadioButton* RadioButton1;
    QLabel* StaticText1;
    QRadioButton* RadioButton2;
    QLabel* StaticText2;
    QRadioButton* RadioButton3;
    QLabel* StaticText3;
    QRadioButton* RadioButton4;
    QLabel* StaticText4;
    QLabel* StaticText5;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;

    void Button1Click() override;
    void Button2Click();
    void Button3Click();

private:
    void RunChecked(); // the run of the checked method
};

extern TfrmSpo* frmSpo;
