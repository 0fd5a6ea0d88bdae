#pragma once

#include "ui_frmProgress.h"

#include <QWidget>

// The progress page: the engine's display while a run goes on.
class TfrmProgr : public QWidget, public Ui::TfrmProgr {
    Q_OBJECT
public:
    explicit TfrmProgr(QWidget* parent = nullptr);

    void Button1Click();
    void Button2Click();
    void Button4Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

extern TfrmProgr* frmProgr;
