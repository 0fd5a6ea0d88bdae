#pragma once

class QWidget;

namespace sorvex {

// Asks an X window manager that reads Motif hints for a border and a title
// bar without buttons around a top-level widget that has its native window.
// Does nothing on other platforms.
void AskForTitleOnly(QWidget* window);

} // namespace sorvex
