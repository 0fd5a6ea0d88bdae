#pragma once

#include "platform/FileServices.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sorvex {

// A chain of open folders: a base opened by its path, and below it folders
// each opened from the one above by its bare name, never through a link and
// never into another mount. Each keeps its identity from when it was opened.
// At most a fixed number of descriptors stay open however deep the chain
// goes; a folder whose descriptor was let go is opened again from the nearest
// open one above it, and must still be the folder it was.
class FolderPath {
public:
    explicit FolderPath(FileServices& fs) : fs_(fs) {}
    FolderPath(const FolderPath&) = delete;
    FolderPath& operator=(const FolderPath&) = delete;

    // The deepest folder's descriptor, which the path keeps owning, or why
    // there is none.
    struct Borrowed {
        int fd = -1;
        Refusal why = Refusal::None;
    };
    // Starts over at a base folder (see FileServices::OpenFolder).
    Borrowed OpenBase(const std::string& path, bool listed);
    bool IsAt(std::string_view base, bool listed) const;
    // Goes down into the folder called name in the deepest one.
    Borrowed Down(std::string_view name);
    void Up();
    // Goes to the folder below the base that below names ("a/b/", or "" for
    // the base itself), keeping what the way there shares with the way here.
    Borrowed GoTo(std::string_view below);

    // The deepest folder's descriptor, opened again if it was let go.
    Borrowed Deepest();
    FileId DeepestId() const { return levels_.back().id; }
    // True when node, found in the deepest folder (open), is on that
    // folder's mount: told by mount ids, by device only where a mount id is
    // unknown (a file on an overlay or a btrfs subvolume has a device of its own).
    bool OnDeepestMount(const Node& node);

    static constexpr std::size_t MaxOpen = 64;

private:
    struct Level {
        std::string name;
        FileId id;
        std::uint64_t mount = 0; // asked for when first needed
        UniqueFd fd; // let go of when the chain is deep
    };
    void Clear();
    Refusal Reopen(std::size_t level);
    Borrowed Push(std::string_view name, Opened opened);
    void KeepFewOpen();

    FileServices& fs_;
    std::vector<Level> levels_; // [0] is the base
    std::string base_;
    bool listed_ = false;
    std::size_t open_ = 0;
};

} // namespace sorvex
