#include "pages/ErrorBox.h"

#include "pages/Look.h"
#include "pages/RawPath.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QScreen>

namespace sorvex {

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void ShowErrorBox(const QString& message)
{
    ShowErrorBox(message, QByteArray());
}

void ShowErrorBox(const QString& lead, const QByteArray& path)
{
    QMessageBox box(QMessageBox::Critical, AppTitle, QString(), QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // it may hold a file's name
    const QString caption = CaptionOf(path);
    // Half the screen's width: the box wraps its text at about that, so the
    // path takes a line or two and the box with its button stays on screen.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int width = screen != nullptr ? screen->availableGeometry().width() / 2 : 500;
    const QString shown = QFontMetrics(box.font()).elidedText(caption, Qt::ElideMiddle, width);
    box.setText(ErrorBoxText(Escaped(lead) + shown)); // a message may hold a name too
    if (shown != caption)
        box.setDetailedText(caption);
    box.exec();
}

} // namespace sorvex
