#include "platform/FolderListing.h"

namespace platform {

namespace {
constexpr char kFolder = 'd';
constexpr char kOther = 'f';
}  // namespace

void FolderListing::clear()
{
    buf_.clear();
    cursor_ = 0;
}

void FolderListing::add(std::string_view name, bool isFolder)
{
    buf_.push_back(isFolder ? kFolder : kOther);
    buf_.append(name);
    buf_.push_back('\0');
}

bool FolderListing::next(std::string_view& name, bool& isFolder)
{
    if (cursor_ >= buf_.size())
        return false;
    const std::size_t start = cursor_ + 1;
    const std::size_t end = buf_.find('\0', start);
    isFolder = buf_[cursor_] == kFolder;
    name = std::string_view(buf_).substr(start, end - start);
    cursor_ = end + 1;
    return true;
}

bool FolderListing::empty() const
{
    return buf_.empty();
}

}  // namespace platform
