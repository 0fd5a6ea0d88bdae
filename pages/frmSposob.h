#pragma once

#include "ui_frmSposob.h"

#include <QWidget>

// The method selection page: four overwrite methods, one of them checked.
class TfrmSpo : public QWidget, public Ui::TfrmSpo {
    Q_OBJECT
public:
    explicit TfrmSpo(QWidget* parent = nullptr);

    void Button1Click();
    void Button2Click();
    void Button3Click();

protected:
    void closeEvent(QCloseEvent* event) override;
};

extern TfrmSpo* frmSpo;
