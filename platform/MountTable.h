#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvex {

// One line of /proc/self/mountinfo, as far as a run needs it; paths with the
// table's octal escapes (\040 for a space) undone.
struct MountEntry {
    std::uint64_t id = 0; // the mount id, as statx's stx_mnt_id gives it
    std::string device; // "major:minor"
    std::string root; // the folder of the file system shown at the mount point
    std::string mountPoint;
    std::string type;
    std::string source; // the device or whatever the file system was mounted from
    std::string superOptions; // the file system's own, comma-separated, still escaped
};

// The whole text of a small file of the system (/proc, /sys); "" when it cannot be read.
std::string ReadText(const char* path);

// The entry of one line, or nothing when the line is not one.
std::optional<MountEntry> ParseMountLine(std::string_view line);

// The entry of mount id in the table's text; where id is 0 (a kernel that
// does not give mount ids), the first one of device "major:minor".
std::optional<MountEntry> FindMount(std::string_view table, std::uint64_t id, std::string_view device);

// The same in this process's mount table, for the mount the open fd is on.
std::optional<MountEntry> MountOfHandle(int fd);

// Whether the comma-separated options hold option exactly ("data=journal").
bool HasOption(std::string_view options, std::string_view option);

// The value of the last option name= in the options ("upperdir"), or "".
std::string OptionValue(std::string_view options, std::string_view name);

// The lower layers an overlay's options name, top first: "lowerdir=a:b"
// (with "\:" for a colon in a name) or one "lowerdir+=" per layer. Nothing
// when the options name none.
std::vector<std::string> LowerLayers(std::string_view options);

// Whether the text of /proc/swaps lists any swap area after its header.
bool ListsSwap(std::string_view swaps);

// Whether this system has swap turned on now.
bool SwapIsActive();

} // namespace sorvex
