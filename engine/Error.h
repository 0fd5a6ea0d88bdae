#pragma once

#include <stdexcept>
#include <string>

namespace sorvex {

// The program's own error: the engine or a handler raises it, the handler's
// dispatcher shows it. The message is bytes as built (UTF-8 text with file
// paths exactly as held).
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// Ends a handler without showing anything.
class SilentAbort : public Error {
public:
    SilentAbort() : Error(std::string()) {}
};

} // namespace sorvex
