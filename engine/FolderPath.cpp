#include "engine/FolderPath.h"

#include <algorithm>

namespace sorvex {

void FolderPath::Clear()
{
    levels_.clear();
    open_ = 0;
}

FolderPath::Borrowed FolderPath::OpenBase(const std::string& path, bool listed)
{
    Clear();
    base_ = path;
    listed_ = listed;
    return Push({}, fs_.OpenFolder(path, listed));
}

bool FolderPath::IsAt(std::string_view base, bool listed) const
{
    return !levels_.empty() && base == base_ && listed == listed_;
}

FolderPath::Borrowed FolderPath::Push(std::string_view name, Opened opened)
{
    if (!opened.fd.IsOpen())
        return {-1, opened.why};
    const int fd = opened.fd.Get();
    levels_.push_back({std::string(name), fs_.IdOf(fd), 0, std::move(opened.fd)});
    ++open_;
    KeepFewOpen();
    return {fd};
}

// Lets go of the shallowest descriptors but the base's and the deepest's.
void FolderPath::KeepFewOpen()
{
    for (std::size_t i = 1; open_ > MaxOpen && i + 1 < levels_.size(); ++i) {
        if (levels_[i].fd.IsOpen()) {
            levels_[i].fd.Reset();
            --open_;
        }
    }
}

bool FolderPath::OnDeepestMount(const Node& node)
{
    Level& deepest = levels_.back();
    if (deepest.mount == 0 && deepest.fd.IsOpen())
        deepest.mount = fs_.MountOf(deepest.fd.Get());
    if (deepest.mount != 0 && node.mount != 0)
        return node.mount == deepest.mount;
    return node.id.dev == deepest.id.dev;
}

Refusal FolderPath::Reopen(std::size_t level)
{
    std::size_t from = level;
    while (!levels_[from].fd.IsOpen())
        --from; // the base is always open
    for (std::size_t i = from + 1; i <= level; ++i) {
        Opened opened = fs_.OpenSubfolder(levels_[i - 1].fd.Get(), levels_[i].name);
        if (!opened.fd.IsOpen())
            return opened.why;
        if (!(fs_.IdOf(opened.fd.Get()) == levels_[i].id))
            return Refusal::Changed;
        levels_[i].fd = std::move(opened.fd);
        ++open_;
    }
    KeepFewOpen();
    return Refusal::None;
}

FolderPath::Borrowed FolderPath::Deepest()
{
    if (!levels_.back().fd.IsOpen()) {
        const Refusal why = Reopen(levels_.size() - 1);
        if (why != Refusal::None)
            return {-1, why};
    }
    return {levels_.back().fd.Get()};
}

FolderPath::Borrowed FolderPath::Down(std::string_view name)
{
    const Borrowed parent = Deepest();
    if (parent.fd < 0)
        return parent;
    return Push(name, fs_.OpenSubfolder(parent.fd, name));
}

void FolderPath::Up()
{
    if (levels_.back().fd.IsOpen())
        --open_;
    levels_.pop_back();
}

FolderPath::Borrowed FolderPath::GoTo(std::string_view below)
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
        const Borrowed down = Down(below.substr(at, end - at));
        if (down.fd < 0)
            return down;
        at = end + 1;
    }
    return Deepest();
}

} // namespace sorvex
