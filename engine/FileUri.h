#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sorvex {

// The path without "." names, doubled separators and "name/.." pairs, as the
// desktop spells a path in a file's URI; looked at as text, not on disk.
std::string PlainPath(std::string_view path);

// "file://" and the path's bytes, each but letters, digits and
// "!$&'()*+,-./:=@_~" written as "%XX": the URI the desktop (GLib) gives a
// local file and names its thumbnails after.
std::string FileUriOf(std::string_view path);

// The raw path of a local file's URI (no host, or "localhost"); nothing for
// any other URI.
std::optional<std::string> PathOfFileUri(std::string_view uri);

} // namespace sorvex
