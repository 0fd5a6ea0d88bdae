#pragma once

#include <string>
#include <string_view>

namespace sorvex {

// The MD5 digest of bytes as 32 lowercase hex digits: the name the desktop
// gives a file's thumbnails. Used for nothing that needs to be secret.
std::string Md5Hex(std::string_view bytes);

} // namespace sorvex
