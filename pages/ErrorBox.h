#pragma once

#include <QString>

namespace sorvex {

// The text of the error box: a full stop is added when the last character
// sorts after it (letters and digits get one; ".", ")" and "!" do not).
QString ErrorBoxText(const QString& message);

// The modal error box: application title, message, error icon.
void ShowErrorBox(const QString& message);

} // namespace sorvex
