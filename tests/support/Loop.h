#pragma once

#include <functional>

// Runs the message loop with start posted into it, until something ends the
// loop; its exit code, or 99 when it was still running after ten seconds.
int RunLoopWith(const std::function<void()>& start);

// Presses a button from inside the next pump, as a click waiting in the queue would be.
class QAbstractButton;
void PostClick(QAbstractButton* button);
