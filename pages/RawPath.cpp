#include "pages/RawPath.h"

#include <QFile>
#include <QStringList>

#include <dirent.h>
#include <sys/stat.h>

namespace sorvex {

namespace {

// The one entry of folder that shows as name, or an empty array.
QByteArray EntryShownAs(const QByteArray& folder, const QString& name)
{
    DIR* dir = ::opendir(folder.isEmpty() ? "/" : folder.constData());
    if (dir == nullptr)
        return {};
    QByteArray found;
    int matches = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (CaptionOf(QByteArray(entry->d_name)) == name && ++matches == 1)
            found = entry->d_name;
    }
    ::closedir(dir);
    return matches == 1 ? found : QByteArray();
}

} // namespace

QString CaptionOf(const QByteArray& path)
{
    return QFile::decodeName(path);
}

bool PathExists(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

bool IsFolder(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsSystemRoot(const QByteArray& path)
{
    struct stat named;
    struct stat root;
    return !path.isEmpty() && ::stat(path.constData(), &named) == 0 && ::stat("/", &root) == 0 &&
           named.st_dev == root.st_dev && named.st_ino == root.st_ino;
}

QByteArray RawPathOf(const QString& path)
{
    const QByteArray plain = QFile::encodeName(path);
    if (PathExists(plain) || !path.startsWith(u'/'))
        return plain;
    QByteArray raw;
    for (const QString& name : path.split(u'/', Qt::SkipEmptyParts)) {
        QByteArray next = raw + '/' + QFile::encodeName(name);
        if (!PathExists(next)) {
            const QByteArray found = EntryShownAs(raw, name);
            if (found.isEmpty())
                return plain;
            next = raw + '/' + found;
        }
        raw = next;
    }
    return path.endsWith(u'/') ? raw + '/' : raw;
}

} // namespace sorvex
