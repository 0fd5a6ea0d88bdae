#pragma once

#include <QFont>
#include <QString>

namespace sorvex {

// The title on every page, on the taskbar and on the error box.
inline const QString AppTitle = QStringLiteral("Sorvex : Personal Edition");

// "MS Sans Serif" 8 pt where installed, otherwise the closest sans font
// drawn at the same 11-pixel character height.
QFont PageFont();

// Title, icon, style and font of the whole program.
void PrepareApplication();

} // namespace sorvex
