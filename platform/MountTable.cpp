#include "platform/MountTable.h"

#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace sorvex {

std::string ReadText(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {

bool IsOctal(char c)
{
    return c >= '0' && c <= '7';
}

// The table writes a space, tab, newline, backslash (and in options a comma
// or "=") inside a field as a backslash and three octal digits.
std::string Unescaped(std::string_view field)
{
    std::string plain;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
            IsOctal(field[i + 3])) {
            plain += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            plain += field[i];
        }
    }
    return plain;
}

// Splits at single spaces; the table's fields never hold a bare one.
std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    while (!line.empty()) {
        const std::size_t end = line.find(' ');
        if (end != 0)
            fields.push_back(line.substr(0, end));
        if (end == std::string_view::npos)
            break;
        line.remove_prefix(end + 1);
    }
    return fields;
}

std::optional<std::uint64_t> Number(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

// The options one by one, each with its escapes undone: a comma inside a
// value stands escaped in the table, so splitting comes first.
std::vector<std::string> Options(std::string_view options)
{
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= options.size();) {
        std::size_t end = options.find(',', start);
        if (end == std::string_view::npos)
            end = options.size();
        parts.push_back(Unescaped(options.substr(start, end - start)));
        start = end + 1;
    }
    return parts;
}

// "a:b\:c" -> "a", "b:c": a backslash takes the next character as it is;
// an empty name (the "::" before data-only layers) is no layer.
void AddColonSeparated(std::string_view list, std::vector<std::string>& layers)
{
    std::string layer;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == '\\' && i + 1 < list.size()) {
            layer += list[++i];
        } else if (list[i] == ':') {
            if (!layer.empty())
                layers.push_back(layer);
            layer.clear();
        } else {
            layer += list[i];
        }
    }
    if (!layer.empty())
        layers.push_back(layer);
}

} // namespace

// "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue":
// id, parent, device, root, mount point, mount options, optional fields up
// to "-", then type, source and the super options.
std::optional<MountEntry> ParseMountLine(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    const std::vector<std::string_view> fields = Fields(line);
    std::size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-")
        ++dash;
    const std::optional<std::uint64_t> id = fields.empty() ? std::nullopt : Number(fields[0]);
    if (!id || dash + 2 >= fields.size())
        return std::nullopt;
    MountEntry entry;
    entry.id = *id;
    entry.device = fields[2];
    entry.root = Unescaped(fields[3]);
    entry.mountPoint = Unescaped(fields[4]);
    entry.type = Unescaped(fields[dash + 1]);
    entry.source = Unescaped(fields[dash + 2]);
    entry.superOptions = dash + 3 < fields.size() ? std::string(fields[dash + 3]) : std::string();
    return entry;
}

std::optional<MountEntry> FindMount(std::string_view table, std::uint64_t id, std::string_view device)
{
    while (!table.empty()) {
        const std::size_t end = table.find('\n');
        const std::optional<MountEntry> entry = ParseMountLine(table.substr(0, end));
        if (entry && (id != 0 ? entry->id == id : entry->device == device))
            return entry;
        if (end == std::string_view::npos)
            break;
        table.remove_prefix(end + 1);
    }
    return std::nullopt;
}

std::optional<MountEntry> MountOfHandle(int fd)
{
    struct statx stx;
    if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_MNT_ID, &stx) != 0)
        return std::nullopt;
    const std::uint64_t id = (stx.stx_mask & STATX_MNT_ID) ? stx.stx_mnt_id : 0;
    const std::string device = std::to_string(stx.stx_dev_major) + ":" + std::to_string(stx.stx_dev_minor);
    return FindMount(ReadText("/proc/self/mountinfo"), id, device);
}

bool HasOption(std::string_view options, std::string_view option)
{
    for (const std::string& part : Options(options))
        if (part == option)
            return true;
    return false;
}

std::string OptionValue(std::string_view options, std::string_view name)
{
    std::string value;
    for (const std::string& part : Options(options))
        if (part.size() > name.size() && part.starts_with(name) && part[name.size()] == '=')
            value = part.substr(name.size() + 1);
    return value;
}

std::vector<std::string> LowerLayers(std::string_view options)
{
    constexpr std::string_view Joined = "lowerdir=";
    constexpr std::string_view One = "lowerdir+=";
    std::vector<std::string> layers;
    for (const std::string& option : Options(options)) {
        const std::string_view part = option;
        if (part.starts_with(Joined))
            AddColonSeparated(part.substr(Joined.size()), layers);
        else if (part.starts_with(One) && part.size() > One.size())
            layers.emplace_back(part.substr(One.size()));
    }
    return layers;
}

bool ListsSwap(std::string_view swaps)
{
    const std::size_t header = swaps.find('\n');
    if (header == std::string_view::npos)
        return false;
    return swaps.substr(header + 1).find_first_not_of(" \t\n") != std::string_view::npos;
}

bool SwapIsActive()
{
    return ListsSwap(ReadText("/proc/swaps"));
}

} // namespace sorvex
