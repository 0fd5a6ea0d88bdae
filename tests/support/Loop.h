#pragma once

#include <functional>

// Runs the message loop with start posted into it, until something ends the
// loop; its exit code, or 99 when it was still running after ten seconds.
int RunLoopWith(const std::function<void()>& start);
