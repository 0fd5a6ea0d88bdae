#pragma once

#include <QPoint>
#include <QWidget>

#include <initializer_list>

class QLabel;

namespace sorvex {

// What every page of the wizard shares: the place it has on the screen until
// a page move places it, its frame, and a close request that acts as its
// "Выход", so that a page is never only hidden.
class Page : public QWidget {
    Q_OBJECT
public:
    enum class Frame {
        Dialog, // fixed, a title bar with no buttons
        Ordinary, // resizable, with every title-bar button
    };
    Page(QPoint designPosition, Frame frame);

    // "Выход".
    virtual void Button1Click() = 0;

protected:
    // A screen reader describes the page's window by its header, these labels' texts.
    void DescribeBy(std::initializer_list<const QLabel*> header);
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Frame frame_;
};

// The one way the wizard changes page: hide the current one, show the target,
// then, once it is on screen, give it the current page's Top, then its Left.
void MovePage(QWidget* from, QWidget* to);

} // namespace sorvex
