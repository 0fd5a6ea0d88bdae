#include "pages/Page.h"

#include "pages/Dispatch.h"
#include "pages/TitleOnly.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QTimer>
#include <QWindow>

namespace sorvex {

Page::Page(QPoint designPosition, Frame frame) : frame_(frame)
{
    move(designPosition);
    if (frame == Frame::Dialog)
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

// "Удаление файлов" and "Сейчас идёт процесс удаления файлов." read as two sentences.
void Page::DescribeBy(std::initializer_list<const QLabel*> header)
{
    QString description;
    for (const QLabel* label : header) {
        if (!description.isEmpty())
            description += description.back().isPunct() ? u" " : u". ";
        description += label->text().trimmed();
    }
    setAccessibleDescription(description);
}

// Told before the window is mapped, where a window manager reads it.
void Page::showEvent(QShowEvent* event)
{
    if (frame_ == Frame::Dialog)
        AskForTitleOnly(this);
    QWidget::showEvent(event);
}

void Page::closeEvent(QCloseEvent* event)
{
    event->ignore();
    Dispatch([this] { Button1Click(); });
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

} // namespace sorvex
