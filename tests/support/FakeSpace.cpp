#include "tests/support/FakeSpace.h"

#include <sys/stat.h>

using namespace sorvex;

// A descriptor closed, or reused for another file, holds nothing.
std::int64_t FakeSpace::Held() const
{
    std::int64_t bytes = 0;
    for (const auto& [fd, file] : held_) {
        struct stat st;
        bytes += ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_ino == file.first ? file.second : 0;
    }
    return bytes;
}

Room FakeSpace::RoomOf(int)
{
    Room now = room;
    now.available -= Held() + names * BytesPerName;
    now.freeInodes -= names;
    return now;
}

Journal FakeSpace::JournalOf(int)
{
    if (journalLooks_++ > 0) {
        journal.block += static_cast<std::uint64_t>(headMoves);
        journal.cycle += journal.block / 1000;
        journal.block %= 1000;
    }
    return journal;
}

Made FakeSpace::MakeFolder(int parent, std::string_view name)
{
    if (name == ".sorvex-free-space" && folderFault != SpaceFault::None)
        return {UniqueFd(), folderFault};
    return real_.MakeFolder(parent, name);
}

Made FakeSpace::OpenUnnamed(int folder)
{
    return noUnnamed ? Made{UniqueFd(), SpaceFault::Failed} : real_.OpenUnnamed(folder);
}

Made FakeSpace::MakeFile(int folder, std::string_view name)
{
    if (RoomOf(folder).freeInodes <= 0)
        return {UniqueFd(), SpaceFault::Full};
    Made made = real_.MakeFile(folder, name);
    names += made.fd.IsOpen() ? 1 : 0;
    return made;
}

SpaceFault FakeSpace::MakeName(int folder, std::string_view name)
{
    if (RoomOf(folder).freeInodes <= 0)
        return SpaceFault::Full;
    const SpaceFault made = real_.MakeName(folder, name);
    names += made == SpaceFault::None ? 1 : 0;
    return made;
}

// Takes no more than the room says, as a disk does.
Filled FakeSpace::Fill(int fd, const void* data, std::size_t count, std::int64_t offset)
{
    ++fills;
    Shredder.Stop = Shredder.Stop || fills == stopAt;
    if (fills == failAt || (fullFrom > 0 && fills >= fullFrom))
        return {0, fills == failAt ? SpaceFault::Failed : SpaceFault::Full};
    const auto left = static_cast<std::size_t>(std::max<std::int64_t>(RoomOf(fd).available, 0));
    Filled done = ForwardingFreeSpace::Fill(fd, data, std::min(left, count), offset);
    if (done.fault == SpaceFault::None && done.written < static_cast<std::int64_t>(count))
        done.fault = SpaceFault::Full;
    filled += done.written;
    struct stat st;
    if (::fstat(fd, &st) == 0) {
        auto& file = held_[fd];
        file = {st.st_ino, (file.first == st.st_ino ? file.second : 0) + done.written};
    }
    return done;
}

bool FakeSpace::Touch(int folder, std::string_view name, bool odd)
{
    ++touches;
    return real_.Touch(folder, name, odd);
}
