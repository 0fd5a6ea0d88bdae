#pragma once

#include <QFont>

class QWidget;

// "MS Sans Serif" 8 pt where installed, otherwise the closest sans font
// drawn at the same 11-pixel character height.
QFont PageFont();

// The fixed dialog frame of the first three pages: a title bar with no buttons.
void UseDialogFrame(QWidget* page);

// The one way the wizard changes page: hide the current one, show the target,
// then, once it is on screen (framed by any window manager), give it the
// current page's Top, then its Left: the outer frame takes the same place.
void MovePage(QWidget* from, QWidget* to);
