#include "engine/FileUri.h"

#include <vector>

namespace sorvex {

namespace {

bool KeptAsIs(unsigned char c)
{
    constexpr std::string_view Marks = "!$&'()*+,-./:=@_~";
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           Marks.find(static_cast<char>(c)) != std::string_view::npos;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string PlainPath(std::string_view path)
{
    std::vector<std::string_view> names;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view name = path.substr(0, slash);
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        path.remove_prefix(slash == std::string_view::npos ? path.size() : slash + 1);
    }
    std::string plain;
    for (const std::string_view name : names)
        plain.append("/").append(name);
    return plain.empty() ? "/" : plain;
}

std::string FileUriOf(std::string_view path)
{
    constexpr char Hex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (KeptAsIs(byte)) {
            uri += c;
        } else {
            uri += '%';
            uri += Hex[byte >> 4];
            uri += Hex[byte & 0xf];
        }
    }
    return uri;
}

std::optional<std::string> PathOfFileUri(std::string_view uri)
{
    constexpr std::string_view Scheme = "file://";
    if (!uri.starts_with(Scheme))
        return std::nullopt;
    uri.remove_prefix(Scheme.size());
    if (uri.starts_with("localhost/"))
        uri.remove_prefix(9);
    if (!uri.starts_with('/'))
        return std::nullopt;
    std::string path;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        const int high = uri[i] == '%' && i + 2 < uri.size() ? HexValue(uri[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(uri[i + 2]) : -1;
        if (low >= 0) {
            path += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            path += uri[i];
        }
    }
    return path;
}

} // namespace sorvex
