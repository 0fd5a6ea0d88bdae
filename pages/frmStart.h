#pragma once

#include "ui_frmStart.h"

#include <QWidget>

// The welcome page: the picture, the greeting and the warning.
class TForm1 : public QWidget, public Ui::TForm1 {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    // Shows the welcome picture; a picture that cannot be decoded leaves the place empty.
    void LoadPicture(const QByteArray& jpeg);

    void Button1Click();
    void Button2Click();

protected:
    void closeEvent(QCloseEvent* event) override;
};

extern TForm1* Form1;
