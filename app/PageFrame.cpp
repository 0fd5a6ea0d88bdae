#include "app/PageFrame.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFontDatabase>
#include <QTimer>
#include <QWidget>
#include <QWindow>

QFont PageFont()
{
    const QStringList families = QFontDatabase::families();
    if (families.contains(QStringLiteral("MS Sans Serif")))
        return QFont(QStringLiteral("MS Sans Serif"), 8);
    // Liberation Sans and Arimo share Arial's widths, the nearest to the pages' design.
    QFont font(QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                           QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

void UseDialogFrame(QWidget* page)
{
    page->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

// A window manager frames a page only after show() has returned, and until
// then Qt takes the page's frame to be its inside: a move would put the inside
// where the frame belongs, and the wizard would creep by a frame at every
// first move. The page is on screen once the window manager has framed it
// (at once without one). The wait leaves user input for afterwards and gives
// up after two seconds.
static void AwaitOnScreen(QWidget* page)
{
    QWindow* const window = page->windowHandle();
    if (window == nullptr)
        return;
    constexpr int Limit = 2000; // milliseconds
    const QDeadlineTimer deadline(Limit);
    QTimer wake; // ends the last wait at the deadline
    wake.setSingleShot(true);
    wake.start(Limit);
    while (!window->isExposed() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
}

void MovePage(QWidget* from, QWidget* to)
{
    // Read first: once hidden, the page loses its frame while the target is awaited.
    const QPoint place = from->pos();
    from->hide();
    to->show();
    AwaitOnScreen(to);
    to->move(to->x(), place.y());
    to->move(place.x(), to->y());
}
