#include "pages/ErrorBox.h"

#include "pages/Look.h"

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
    QMessageBox box(QMessageBox::Critical, AppTitle, ErrorBoxText(message), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // it may hold a file's name
    box.exec();
}

} // namespace sorvex
