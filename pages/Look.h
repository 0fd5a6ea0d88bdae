#pragma once

#include <QFont>
#include <QPalette>
#include <QString>

namespace sorvex {

// The title on every page, on the taskbar and on the error box.
inline const QString AppTitle = QStringLiteral("Sorvex : Personal Edition");

// "MS Sans Serif" 8 pt where installed, otherwise the closest sans font
// drawn at the same 11-pixel character height.
QFont PageFont();

// The pages' own light palette, whatever the desktop's theme.
QPalette LightPalette();

// Qt's own words (dialog buttons, tooltips, the command line's usage and
// errors) in Russian, whatever the locale, from Qt's translations folder.
// Needs an application object; false when Qt's Russian catalogue is missing.
bool SpeakRussian();

// Title, icon, style, palette, font and language of the whole program.
void PrepareApplication();

} // namespace sorvex
