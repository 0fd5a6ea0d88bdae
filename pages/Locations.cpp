#include "pages/Locations.h"

#include "engine/Trash.h"
#include "platform/MountTable.h"

#include <QFile>
#include <QSysInfo>
#include <QUrl>

#include <sys/stat.h>

namespace sorvex {

namespace {

QByteArray PathBytes(const QUrl& location)
{
    return QByteArray::fromPercentEncoding(location.path(QUrl::FullyEncoded).toLatin1());
}

bool Exists(const QByteArray& path)
{
    struct stat status;
    return ::lstat(path.constData(), &status) == 0;
}

// GIO's escapes in the first name of a path below trash:///: "\" for "/",
// "`\" for "\" and "``" for "`". A home item's name is escaped only at its start.
QByteArray GioTrashItem(const QByteArray& first, const TrashPlaces& trash)
{
    if (!first.startsWith('\\'))
        return QByteArray::fromStdString(trash.home) + "files/" + (first.startsWith('`') ? first.mid(1) : first);
    QByteArray path;
    for (qsizetype i = 0; i < first.size(); ++i) {
        if (first[i] == '`' && i + 1 < first.size())
            path += first[++i];
        else
            path += first[i] == '\\' ? '/' : first[i];
    }
    return path;
}

// NAME in the files/ folder of the only Trash of a mounted file system that holds it.
QByteArray KioTrashItem(const QByteArray& name, const TrashPlaces& trash)
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    const QByteArray user = QByteArray::number(trash.uid);
    QByteArray found;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const std::optional<MountEntry> mount = ParseMountLine(line.toStdString());
        if (!mount)
            continue;
        QByteArray top = QByteArray::fromStdString(mount->mountPoint);
        if (!top.endsWith('/'))
            top += '/';
        for (const QByteArray& item :
             {top + ".Trash-" + user + "/files/" + name, top + ".Trash/" + user + "/files/" + name}) {
            if (Exists(item)) {
                if (!found.isEmpty())
                    return {}; // two Trashes hold the name: neither is taken
                found = item;
            }
        }
    }
    return found;
}

QByteArray TrashItemOf(const QUrl& location)
{
    QByteArray path = PathBytes(location);
    if (!path.startsWith('/') || path.size() < 2)
        return {};
    const qsizetype end = path.indexOf('/', 1);
    const QByteArray first = path.mid(1, end < 0 ? -1 : end - 1);
    const QByteArray below = end < 0 ? QByteArray() : path.mid(end);
    const TrashPlaces trash = TrashPlaces::OfThisUser();
    QByteArray item;
    if (location.toString().startsWith(QLatin1String("trash:///")))
        item = GioTrashItem(first, trash);
    else if (const qsizetype dash = first.indexOf('-'); dash > 0)
        item = first.left(dash) == "0" ? QByteArray::fromStdString(trash.home) + "files/" + first.mid(dash + 1)
                                       : KioTrashItem(first.mid(dash + 1), trash);
    // Only an item of a Trash, or what is below one: never a path anywhere else spelt as one.
    if (item.isEmpty() || TrashNoteOf(item.toStdString(), trash).empty() || (item + below).split('/').contains(".."))
        return {};
    return item + below;
}

} // namespace

QByteArray LocalPathOf(const QUrl& location)
{
    QByteArray path;
    if (location.scheme() == QLatin1String("trash")) {
        path = TrashItemOf(location);
    } else if (location.isLocalFile()) {
        const QString host = location.host();
        if (host.isEmpty() || host == u"localhost" || host == QSysInfo::machineHostName())
            path = PathBytes(location);
    }
    // A NUL would cut the path short where it reaches the kernel: another file.
    if (!path.startsWith('/') || path.contains('\0'))
        return {};
    while (path.contains("//"))
        path.replace("//", "/");
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1); // no trailing separator, except for "/" itself
    return path;
}

} // namespace sorvex
