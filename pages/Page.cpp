#include "pages/Page.h"

#include "pages/Dispatch.h"

#include <QCloseEvent>

namespace sorvex {

Page::Page(QPoint designPosition, Frame frame)
{
    move(designPosition);
    if (frame == Frame::Dialog)
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

void Page::closeEvent(QCloseEvent* event)
{
    event->ignore();
    Dispatch([this] { Button1Click(); });
}

void MovePage(QWidget* from, QWidget* to)
{
    from->hide();
    to->show();
    to->move(to->x(), from->y());
    to->move(from->x(), to->y());
}

} // namespace sorvex
