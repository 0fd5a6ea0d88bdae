#pragma once

namespace sorvex {

// The whole life of the program: start-up, the message loop, the end.
// Returns 0; 2 for an option it does not know. --help and --version print
// and return without opening a window.
int RunApplication(int argc, char** argv);

} // namespace sorvex
