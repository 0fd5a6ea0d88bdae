#include "engine/FolderPath.h"

#include <algorithm>

namespace sorvex {

FolderPath::Borrowed FolderPath::OpenBase(const std::string& path, bool listed)
{
    levels_.clear();
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
        return {-1, opened.why, opened.error};
    const int fd = opened.fd.Get();
    levels_.push_back({std::string(name), fs_.IdOf(fd), 0, std::move(opened.fd)});
    KeepFewOpen();
    return {fd};
}

// The gap between two kept folders above the window: the smallest power of
// two that leaves at most Anchors of them above deepest. A power of two, so
// that the folders kept at one depth are kept at any shallower one too.
std::size_t FolderPath::Stride(std::size_t deepest)
{
    std::size_t stride = 1;
    while (deepest / stride > Anchors)
        stride *= 2;
    return stride;
}

bool FolderPath::Keeps(std::size_t level) const
{
    const std::size_t deepest = levels_.size() - 1;
    return level == 0 || level + Window > deepest || level % Stride(deepest) == 0;
}

void FolderPath::LetGoUnlessKept(std::size_t level)
{
    if (!Keeps(level))
        levels_[level].fd.Reset();
}

// A folder just went one deeper: the one that left the window goes, and when
// the stride has doubled, every other folder kept above the window goes too.
// Going up lets nothing go: what was kept deeper down is kept higher up.
void FolderPath::KeepFewOpen()
{
    const std::size_t deepest = levels_.size() - 1;
    if (deepest < Window)
        return;
    LetGoUnlessKept(deepest - Window);
    const std::size_t stride = Stride(deepest);
    if (stride == Stride(deepest - 1))
        return;
    for (std::size_t level = stride / 2; level + Window <= deepest; level += stride)
        LetGoUnlessKept(level);
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

// Opens the deepest folder again from the nearest open one above it (the
// base is never let go of), keeping only what the chain keeps on the way:
// never more than one descriptor beyond them.
FolderPath::Borrowed FolderPath::Reopen()
{
    const std::size_t deepest = levels_.size() - 1;
    std::size_t from = deepest;
    while (!levels_[from].fd.IsOpen())
        --from;
    for (std::size_t level = from + 1; level <= deepest; ++level) {
        Opened opened = fs_.OpenSubfolder(levels_[level - 1].fd.Get(), levels_[level].name);
        LetGoUnlessKept(level - 1);
        if (!opened.fd.IsOpen())
            return {-1, opened.why, opened.error};
        if (!(fs_.IdOf(opened.fd.Get()) == levels_[level].id))
            return {-1, Refusal::Changed};
        levels_[level].fd = std::move(opened.fd);
    }
    return {levels_.back().fd.Get()};
}

FolderPath::Borrowed FolderPath::Deepest()
{
    if (!levels_.back().fd.IsOpen())
        return Reopen();
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
