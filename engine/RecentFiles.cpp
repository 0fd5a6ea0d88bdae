#include "engine/RecentFiles.h"

#include "engine/FileUri.h"

#include <algorithm>

namespace sorvex {

namespace {

// The XML entities a written attribute holds: the five named ones and
// numeric ones below 128 (a URI holds nothing else).
std::string Unescaped(std::string_view text)
{
    constexpr std::pair<std::string_view, char> Named[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool replaced = false;
        for (const auto& [entity, c] : Named) {
            if (text.substr(i).starts_with(entity)) {
                plain += c;
                i += entity.size() - 1;
                replaced = true;
                break;
            }
        }
        const std::size_t semicolon = text.find(';', i);
        if (!replaced && text.substr(i).starts_with("&#") && semicolon != std::string_view::npos) {
            const std::string_view digits = text.substr(i + 2, semicolon - i - 2);
            const bool hex = digits.starts_with('x');
            int value = 0;
            for (const char c : hex ? digits.substr(1) : digits)
                value = value * (hex ? 16 : 10) + (c >= 'a' ? c - 'a' + 10 : c >= 'A' ? c - 'A' + 10 : c - '0');
            if (value > 0 && value < 128) {
                plain += static_cast<char>(value);
                i = semicolon;
                replaced = true;
            }
        }
        if (!replaced)
            plain += text[i];
    }
    return plain;
}

// The value of attribute name="..." (or '...') in a start tag.
std::optional<std::string_view> AttributeOf(std::string_view tag, std::string_view name)
{
    for (std::size_t at = tag.find(name); at != std::string_view::npos; at = tag.find(name, at + 1)) {
        const std::size_t quote = at + name.size() + 1;
        const bool whole = at > 0 && (tag[at - 1] == ' ' || tag[at - 1] == '\t' || tag[at - 1] == '\n');
        if (!whole || quote >= tag.size() || tag[quote - 1] != '=' || (tag[quote] != '"' && tag[quote] != '\''))
            continue;
        const std::size_t close = tag.find(tag[quote], quote + 1);
        if (close != std::string_view::npos)
            return tag.substr(quote + 1, close - quote - 1);
    }
    return std::nullopt;
}

// From the start of the line of at, when only blanks stand before it there.
std::size_t LineStart(std::string_view text, std::size_t at)
{
    std::size_t start = at;
    while (start > 0 && (text[start - 1] == ' ' || text[start - 1] == '\t'))
        --start;
    return start == 0 || text[start - 1] == '\n' ? start : at;
}

// Through the line's end, when only blanks follow end there.
std::size_t LineEnd(std::string_view text, std::size_t end)
{
    std::size_t after = end;
    while (after < text.size() && (text[after] == ' ' || text[after] == '\t' || text[after] == '\r'))
        ++after;
    return after < text.size() && text[after] == '\n' ? after + 1 : end;
}

} // namespace

std::vector<Bookmark> BookmarksOf(std::string_view xbel)
{
    constexpr std::string_view Open = "<bookmark";
    constexpr std::string_view Close = "</bookmark>";
    std::vector<Bookmark> bookmarks;
    for (std::size_t at = xbel.find(Open); at != std::string_view::npos; at = xbel.find(Open, at + 1)) {
        const std::size_t tagEnd = xbel.find('>', at);
        if (tagEnd == std::string_view::npos)
            break;
        const char next = xbel[at + Open.size()];
        if (next != ' ' && next != '\t' && next != '\n' && next != '\r')
            continue; // <bookmark:application ...>
        const std::string_view tag = xbel.substr(at, tagEnd - at);
        std::size_t end = tagEnd + 1;
        if (!tag.ends_with('/')) {
            const std::size_t close = xbel.find(Close, tagEnd);
            if (close == std::string_view::npos)
                break;
            end = close + Close.size();
        }
        const std::optional<std::string_view> href = AttributeOf(tag, "href");
        const std::optional<std::string> path = href ? PathOfFileUri(Unescaped(*href)) : std::nullopt;
        if (path)
            bookmarks.push_back({LineStart(xbel, at), LineEnd(xbel, end), PlainPath(*path)});
        at = end - 1;
    }
    return bookmarks;
}

std::string Without(std::string_view xbel, const std::vector<const Bookmark*>& gone)
{
    std::vector<const Bookmark*> sorted = gone;
    std::sort(sorted.begin(), sorted.end(), [](const Bookmark* a, const Bookmark* b) { return a->begin < b->begin; });
    std::string kept;
    std::size_t from = 0;
    for (const Bookmark* bookmark : sorted) {
        if (bookmark->begin < from)
            continue;
        kept.append(xbel.substr(from, bookmark->begin - from));
        from = bookmark->end;
    }
    kept.append(xbel.substr(from));
    return kept;
}

std::optional<std::string> PathOfRecentDocument(std::string_view desktopFile, std::string_view home)
{
    while (!desktopFile.empty()) {
        const std::size_t newline = desktopFile.find('\n');
        std::string_view line = desktopFile.substr(0, newline);
        desktopFile.remove_prefix(newline == std::string_view::npos ? desktopFile.size() : newline + 1);
        const bool expands = line.starts_with("URL[$e]=");
        if (!expands && !line.starts_with("URL="))
            continue;
        line.remove_prefix(line.find('=') + 1);
        std::string value(line);
        if (expands && value.starts_with("$HOME"))
            value = std::string(home) + value.substr(5);
        if (value.starts_with('/'))
            return PlainPath(value);
        const std::optional<std::string> path = PathOfFileUri(value);
        return path ? std::optional<std::string>(PlainPath(*path)) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace sorvex
