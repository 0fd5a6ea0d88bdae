#pragma once

#include <QByteArray>
#include <QString>

namespace sorvex {

// The bytes of a path that Qt hands over as text, as from its dialogs. A name
// that is not valid UTF-8 reaches the text with replacement characters; it is
// found again among its folder's entries as the one name that shows as that
// text. Where no such single name exists, the text's own bytes are the answer.
QByteArray RawPathOf(const QString& path);

// The text a path shows as: its bytes read as UTF-8, a byte that is not shown
// by a replacement character.
QString CaptionOf(const QByteArray& path);

// lstat of the bytes: the path names something (a dangling link too).
bool PathExists(const QByteArray& path);
bool IsFolder(const QByteArray& path); // a real folder, not a link to one
// stat of the bytes, links followed, is the system's root folder: "/", "//",
// "/usr/.." and a link to it alike.
bool IsSystemRoot(const QByteArray& path);

} // namespace sorvex
