#include "pages/RunOutside.h"

#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace sorvex {

namespace {

// The launcher that docks match the progress to.
const QString Launcher = QStringLiteral("application://sorvex.desktop");

} // namespace

QDBusConnection& RunOutside::Bus()
{
    if (!bus_)
        bus_ = QDBusConnection::sessionBus(); // connected once, on first use
    return *bus_;
}

void RunOutside::Started()
{
    running_ = true;
    Publish(0, true);
}

void RunOutside::Progress(double share)
{
    if (!running_ || share == published_)
        return;
    if (std::chrono::steady_clock::now() - publishedAt_ >= PublishEvery)
        Publish(share, true);
}

void RunOutside::Publish(double share, bool visible)
{
    published_ = share;
    publishedAt_ = std::chrono::steady_clock::now();
    if (!Bus().isConnected())
        return;
    QDBusMessage update =
        QDBusMessage::createSignal(QStringLiteral("/com/canonical/unity/launcherentry/sorvex"),
                                   QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    update << Launcher
           << QVariantMap{{QStringLiteral("progress"), share}, {QStringLiteral("progress-visible"), visible}};
    Bus().send(update);
}

QString RunOutside::Summary(const End& end)
{
    switch (end.how) {
    case RunEnd::Stopped:
        return QStringLiteral("Уничтожение файлов остановлено");
    case RunEnd::Failed:
        return QStringLiteral("Уничтожение файлов прервано ошибкой");
    default:
        return QStringLiteral("Уничтожение файлов завершено");
    }
}

QString RunOutside::Body(const End& end)
{
    QString body = QStringLiteral("Уничтожено файлов: %1.").arg(end.destroyed);
    if (end.reportWaits)
        body += QStringLiteral(" В окне Sorvex ждёт отчёт о том, что могло остаться.");
    if (end.how == RunEnd::Failed)
        body += QStringLiteral(" Сообщение об ошибке ждёт в окне Sorvex.");
    return body;
}

// Sent and not awaited: no reply, no timeout, the window goes on at once.
// The notification goes before the dock's progress is cleared.
void RunOutside::Ended(const End& end, bool windowActive)
{
    running_ = false;
    if (!windowActive && Bus().isConnected())
        Notify(end);
    Publish(0, false);
}

void RunOutside::Notify(const End& end)
{
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    notify << QStringLiteral("Sorvex") << 0u << QStringLiteral("sorvex") << Summary(end) << Body(end) << QStringList()
           << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("sorvex")}} << -1;
    Bus().send(notify);
}

} // namespace sorvex
