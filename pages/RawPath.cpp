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
        if (TextOf(QByteArray(entry->d_name)) == name && ++matches == 1)
            found = entry->d_name;
    }
    ::closedir(dir);
    return matches == 1 ? found : QByteArray();
}

} // namespace

// Controls (C0, DEL, C1) and the marks that turn or break text: U+061C,
// U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069, U+2028, U+2029.
static bool BreaksText(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x2028 || c == 0x2029;
}

QString TextOf(const QByteArray& path)
{
    return QFile::decodeName(path);
}

QString Escaped(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (!BreaksText(code))
            shown += c;
        else if (code < 0x100)
            shown += QStringLiteral("\\x") + QString::number(code, 16).toUpper().rightJustified(2, u'0');
        else
            shown += QStringLiteral("\\u") + QString::number(code, 16).toUpper().rightJustified(4, u'0');
    }
    return shown;
}

QString CaptionOf(const QByteArray& path)
{
    return Escaped(TextOf(path));
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
