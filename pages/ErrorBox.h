#pragma once

#include <QByteArray>
#include <QString>

namespace sorvex {

// The text of the error box: a full stop is added when the last character
// sorts after it (letters and digits get one; ".", ")" and "!" do not).
QString ErrorBoxText(const QString& message);

// The modal error box: application title, message, error icon.
void ShowErrorBox(const QString& message);
// The same for a message about a file, lead followed by its path (raw bytes):
// a path too wide for the screen is shown with its middle left out, and whole
// in the box's details.
void ShowErrorBox(const QString& lead, const QByteArray& path);

} // namespace sorvex
