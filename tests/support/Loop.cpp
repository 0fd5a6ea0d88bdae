#include "tests/support/Loop.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QTimer>

int RunLoopWith(const std::function<void()>& start)
{
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    timeout.start(10000);
    QTimer::singleShot(0, start);
    return QCoreApplication::exec();
}

void PostClick(QAbstractButton* button)
{
    QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
}
