#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace sorvex {

// The program's own error: the engine or a handler raises it, the handler's
// dispatcher shows it. The message is bytes as built (UTF-8 text with file
// paths exactly as held).
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
    // A message about a file: lead, then the path, which is also kept apart
    // so that a box can shorten it.
    Error(const std::string& lead, std::string_view path)
        : std::runtime_error(lead + std::string(path)), pathAt_(lead.size())
    {}

    std::string_view Lead() const { return std::string_view(what()).substr(0, pathAt_); }
    std::string_view Path() const // empty where the message names no file
    {
        return pathAt_ == std::string::npos ? std::string_view() : std::string_view(what()).substr(pathAt_);
    }

private:
    std::size_t pathAt_ = std::string::npos;
};

// Ends a handler without showing anything.
class SilentAbort : public Error {
public:
    SilentAbort() : Error(std::string()) {}
};

} // namespace sorvex
