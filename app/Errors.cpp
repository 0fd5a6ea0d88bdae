#include "app/Errors.h"

#include "app/Application.h"

#include <QApplication>
#include <QMessageBox>

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
    box.exec();
}
