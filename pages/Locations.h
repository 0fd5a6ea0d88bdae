#pragma once

#include <QByteArray>

class QUrl;

namespace sorvex {

// The bytes of the path on this machine that a file manager's location names,
// or an empty array: a file: URI's path (its host none, "localhost" or this
// machine's name), and a trash: URI's item where the Trash keeps it, in its
// files/ folder. GIO's file managers (Files, Nemo, Caja, PCManFM, Thunar)
// name an item of the home Trash "trash:///NAME" and one of another file
// system's Trash by its whole path, each "/" written "\"; Dolphin names them
// "trash:/0-NAME" and "trash:/N-NAME", where N numbers the other Trashes:
// such an item is the one of that name in the only Trash of a mounted file
// system that holds one. The bytes are taken as the URI encodes them, so a
// name that is not UTF-8 is kept.
QByteArray LocalPathOf(const QUrl& location);

} // namespace sorvex
