#pragma once

#include <QByteArray>
#include <QString>

namespace sorvex {

// The bytes of a path that Qt hands over as text, as from its dialogs. A name
// that is not valid UTF-8 reaches the text with replacement characters; it is
// found again among its folder's entries as the one name that shows as that
// text. Where no such single name exists, the text's own bytes are the answer.
QByteArray RawPathOf(const QString& path);

// The text a path's bytes read as: UTF-8, a byte that is not valid there as a
// replacement character. What the dialogs hand back; never shown as it is.
QString TextOf(const QByteArray& path);

// The text with every character that could break or turn a line written out
// as an escape: controls as "\xNN" (a newline as "\x0A"), bidirectional
// marks and line separators as "\uNNNN" (U+202E as "\u202E").
QString Escaped(const QString& text);

// The text a path shows as, everywhere: its text, escaped. Only ever shown:
// the bytes go to the kernel, never a caption.
QString CaptionOf(const QByteArray& path);

// lstat of the bytes: the path names something (a dangling link too).
bool PathExists(const QByteArray& path);
bool IsFolder(const QByteArray& path); // a real folder, not a link to one
// stat of the bytes, links followed, is the system's root folder: "/", "//",
// "/usr/.." and a link to it alike.
bool IsSystemRoot(const QByteArray& path);

} // namespace sorvex
