#include "pages/ErrorBox.h"

#include "pages/Look.h"
#include "pages/RawPath.h"

#include <QApplication>
#include <QMessageBox>

namespace sorvex {

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void ShowErrorBox(const QString& message)
{
    // A file's name in the message shows with its controls escaped, like every path shown.
    QMessageBox box(QMessageBox::Critical, AppTitle, ErrorBoxText(Escaped(message)), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // it may hold a file's name
    box.exec();
}

} // namespace sorvex
