#pragma once

#include "pages/Page.h"

class QByteArray;
class QFrame;
class QLabel;
class QPushButton;

// The welcome page: the picture, the greeting and the warning.
class TForm1 : public sorvex::Page {
    Q_OBJECT
public:
    TForm1();

    QFrame* Panel1;
    QLabel* Image1;
    QLabel* StaticText1;
    QLabel* StaticText2;
    QLabel* StaticText3;
    QLabel* StaticText4;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;

    // Shows the welcome picture; a picture that cannot be decoded leaves the place empty.
    void LoadPicture(const QByteArray& jpeg);

    void Button1Click() override;
    void Button2Click();
};

extern TForm1* Form1;
