#include "engine/FolderPath.h"

#include <algorithm>

namespace sorvex {

void FolderPath::Clear()
{
    for (Level& level : levels_) {
        if (level.fd >= 0)
            fs_.Close(level.fd);
    }
    levels_.clear();
    open_ = 0;
}

Refusal FolderPath::OpenBase(const std::string& path, bool listed)
{
    Clear();
    base_ = path;
    listed_ = listed;
    Refusal why = Refusal::None;
    const int fd = fs_.OpenFolder(path, listed, why);
    if (fd >= 0)
        Push({}, fd);
    return why;
}

bool FolderPath::IsAt(std::string_view base, bool listed) const
{
    return !levels_.empty() && base == base_ && listed == listed_;
}

void FolderPath::Push(std::string_view name, int fd)
{
    levels_.push_back({std::string(name), fs_.IdOf(fd), 0, fd});
    ++open_;
    KeepFewOpen();
}

// Lets go of the shallowest descriptors but the base's and the deepest's.
void FolderPath::KeepFewOpen()
{
    for (std::size_t i = 1; open_ > MaxOpen && i + 1 < levels_.size(); ++i) {
        if (levels_[i].fd >= 0) {
            fs_.Close(levels_[i].fd);
            levels_[i].fd = -1;
            --open_;
        }
    }
}

bool FolderPath::OnDeepestMount(const Node& node)
{
    Level& deepest = levels_.back();
    if (deepest.mount == 0 && deepest.fd >= 0)
        deepest.mount = fs_.MountOf(deepest.fd);
    if (deepest.mount != 0 && node.mount != 0)
        return node.mount == deepest.mount;
    return node.id.dev == deepest.id.dev;
}

Refusal FolderPath::Reopen(std::size_t level)
{
    std::size_t from = level;
    while (levels_[from].fd < 0)
        --from; // the base is always open
    for (std::size_t i = from + 1; i <= level; ++i) {
        Refusal why = Refusal::None;
        const int fd = fs_.OpenSubfolder(levels_[i - 1].fd, levels_[i].name, why);
        if (fd < 0)
            return why;
        if (!(fs_.IdOf(fd) == levels_[i].id)) {
            fs_.Close(fd);
            return Refusal::Changed;
        }
        levels_[i].fd = fd;
        ++open_;
    }
    KeepFewOpen();
    return Refusal::None;
}

int FolderPath::Deepest(Refusal& why)
{
    why = Refusal::None;
    if (levels_.back().fd < 0)
        why = Reopen(levels_.size() - 1);
    return levels_.back().fd;
}

Refusal FolderPath::Down(std::string_view name)
{
    Refusal why = Refusal::None;
    const int parent = Deepest(why);
    if (parent < 0)
        return why;
    const int fd = fs_.OpenSubfolder(parent, name, why);
    if (fd >= 0)
        Push(name, fd);
    return why;
}

void FolderPath::Up()
{
    if (levels_.back().fd >= 0) {
        fs_.Close(levels_.back().fd);
        --open_;
    }
    levels_.pop_back();
}

Refusal FolderPath::GoTo(std::string_view below)
{
    // How many of the folders held now lie on the way to below.
    std::size_t shared = 1;
    std::size_t at = 0;
    for (; shared < levels_.size(); ++shared) {
        const std::string& name = levels_[shared].name;
        if (below.compare(at, name.size(), name) != 0 || below.size() <= at + name.size() ||
            below[at + name.size()] != '/')
            break;
        at += name.size() + 1;
    }
    while (levels_.size() > shared)
        Up();
    while (at < below.size()) {
        const std::size_t end = std::min(below.find('/', at), below.size());
        const Refusal why = Down(below.substr(at, end - at));
        if (why != Refusal::None)
            return why;
        at = end + 1;
    }
    return Refusal::None;
}

} // namespace sorvex
