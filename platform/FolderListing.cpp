#include "platform/FolderListing.h"

#include <cstring>
#include <functional>

namespace sorvex {

namespace {
constexpr char FolderMark = 'd';
constexpr char OtherMark = 'f';
} // namespace

void FolderListing::Clear()
{
    buf_.clear();
    cursor_ = 0;
    count_ = 0;
}

void FolderListing::Add(std::string_view name, bool isFolder, FileId id)
{
    buf_.push_back(isFolder ? FolderMark : OtherMark);
    char bytes[sizeof id];
    std::memcpy(bytes, &id, sizeof id);
    buf_.append(bytes, sizeof id);
    buf_.append(name);
    buf_.push_back('\0');
    ++count_;
}

bool FolderListing::Next(std::string_view& name, bool& isFolder, FileId& id)
{
    if (cursor_ >= buf_.size())
        return false;
    const std::size_t start = cursor_ + NameOffset;
    const std::size_t end = buf_.find('\0', start);
    isFolder = buf_[cursor_] == FolderMark;
    std::memcpy(&id, buf_.data() + cursor_ + 1, sizeof id);
    name = std::string_view(buf_).substr(start, end - start);
    cursor_ = end + 1;
    return true;
}

bool FolderListing::Next(std::string_view& name, bool& isFolder)
{
    FileId id;
    return Next(name, isFolder, id);
}

bool FolderListing::Empty() const
{
    return buf_.empty();
}

// Open addressing over the entries' offsets in buf_, at most half full.
bool FolderListing::NamesAreDistinct(const std::function<void()>& nowAndThen) const
{
    std::size_t checked = 0;
    if (buf_.size() >= UINT32_MAX) // more than the set's offsets can tell apart
        return false;
    std::size_t size = 4;
    while (size < count_ * 2)
        size *= 2;
    seen_.assign(size, 0);
    const std::size_t mask = size - 1;
    const std::string_view all(buf_);
    for (std::size_t start = 0; start < all.size();) {
        const std::size_t end = all.find('\0', start + NameOffset);
        const std::string_view name = all.substr(start + NameOffset, end - start - NameOffset);
        if (name.find('/') != std::string_view::npos)
            return false;
        std::size_t slot = std::hash<std::string_view>{}(name)&mask;
        for (; seen_[slot] != 0; slot = (slot + 1) & mask) {
            const std::size_t other = seen_[slot] - 1; // where the other entry's name starts
            if (all.substr(other, all.find('\0', other) - other) == name)
                return false;
        }
        seen_[slot] = static_cast<std::uint32_t>(start + NameOffset + 1);
        start = end + 1;
        if (++checked % 16384 == 0 && nowAndThen)
            nowAndThen();
    }
    return true;
}

} // namespace sorvex
