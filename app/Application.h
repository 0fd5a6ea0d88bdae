#pragma once

namespace sorvex {

// The whole life of the program: start-up, the message loop, the end. Always returns 0.
int RunApplication(int argc, char** argv);

} // namespace sorvex
