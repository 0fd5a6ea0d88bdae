#pragma once

namespace sorvex {

// What a screen reader is told of the widgets of our own: each page's window
// is a frame, named by its title; each ProgressBar a progress bar with its
// value, in per cent. Qt's own widgets speak for themselves. Once for the
// program's life, before the first page is made.
void ExplainOwnWidgets();

} // namespace sorvex
