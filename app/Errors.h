#pragma once

#include <QString>

#include <stdexcept>
#include <string>

// The program's own error: a handler raises it, the dispatcher shows it.
// The message is bytes as built (UTF-8 text with file paths exactly as held).
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// Ends a handler without showing anything.
class SilentAbort : public Error {
public:
    SilentAbort() : Error(std::string()) {}
};

// The text of the error box: a full stop is added when the last character
// sorts after it (letters and digits get one; ".", ")" and "!" do not).
QString ErrorBoxText(const QString& message);

// The modal error box: application title, message, error icon.
void ShowErrorBox(const QString& message);
