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
// At most MaxOpen descriptors are open however deep the chain goes: the
// base's, the deepest Window folders', and every Stride()-th folder's above
// them, with one more while the next is opened. A folder whose descriptor was
// let go is opened again, by name, from the nearest open one above it, and
// must still be the folder it was; the folders opened on the way are let go
// of again as they are passed.
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
        int error = 0; // the system's error number behind why
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

    static constexpr std::size_t Window = 32;
    static constexpr std::size_t Anchors = 30; // at most, between the base and the window
    // The base, the window, the anchors, and one just opened before another is let go.
    static constexpr std::size_t MaxOpen = 1 + Window + Anchors + 1;

private:
    struct Level {
        std::string name;
        FileId id;
        std::uint64_t mount = 0; // asked for when first needed
        UniqueFd fd; // let go of when the chain is deep
    };
    Borrowed Reopen();
    Borrowed Push(std::string_view name, Opened opened);
    static std::size_t Stride(std::size_t deepest);
    bool Keeps(std::size_t level) const;
    void LetGoUnlessKept(std::size_t level);
    void KeepFewOpen();

    FileServices& fs_;
    std::vector<Level> levels_; // [0] is the base
    std::string base_;
    bool listed_ = false;
};

} // namespace sorvex
