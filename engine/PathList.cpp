#include "engine/PathList.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <stdexcept>

namespace sorvex {

std::string_view PathList::operator[](std::size_t index) const
{
    const char* entry = starts_[index / StartsBlock][index % StartsBlock];
    Length length;
    std::memcpy(&length, entry, sizeof length);
    return {entry + HeaderSize, length};
}

FileId PathList::IdOf(std::size_t index) const
{
    const char* entry = starts_[index / StartsBlock][index % StartsBlock];
    FileId id;
    std::memcpy(&id.dev, entry + sizeof(Length), sizeof id.dev);
    std::memcpy(&id.ino, entry + sizeof(Length) + sizeof id.dev, sizeof id.ino);
    return id;
}

void PathList::StartBase(Base base)
{
    if (!bases_.empty() && bases_.back().first == count_)
        bases_.back().second = base;
    else
        bases_.emplace_back(count_, base);
}

PathList::Base PathList::BaseOf(std::size_t index) const
{
    const auto after = std::upper_bound(bases_.begin(), bases_.end(), index,
                                        [](std::size_t i, const auto& base) { return i < base.first; });
    return after == bases_.begin() ? Base{} : std::prev(after)->second;
}

// Joins folder + name behind its header at the free end of the last chunk,
// or of a new one; the entry is kept only by Keep.
const char* PathList::Join(std::string_view folder, std::string_view name, FileId id)
{
    const std::size_t length = folder.size() + name.size();
    if (length > UINT32_MAX || count_ >= UINT32_MAX - 1)
        throw std::length_error("path list full");
    const std::size_t bytes = HeaderSize + length;
    if (chunks_.empty() || chunkUsed_ + bytes > chunkSizes_.back()) {
        const std::size_t size = bytes > ChunkSize ? bytes : ChunkSize;
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        chunkSizes_.push_back(size);
        chunkUsed_ = 0;
    }
    char* entry = chunks_.back().get() + chunkUsed_;
    const auto prefix = static_cast<Length>(length);
    std::memcpy(entry, &prefix, sizeof prefix);
    std::memcpy(entry + sizeof prefix, &id.dev, sizeof id.dev);
    std::memcpy(entry + sizeof prefix + sizeof id.dev, &id.ino, sizeof id.ino);
    if (!folder.empty())
        std::memcpy(entry + HeaderSize, folder.data(), folder.size());
    if (!name.empty())
        std::memcpy(entry + HeaderSize + folder.size(), name.data(), name.size());
    return entry;
}

void PathList::Keep(const char* entry)
{
    Length length;
    std::memcpy(&length, entry, sizeof length);
    chunkUsed_ += HeaderSize + length;
    if (count_ % StartsBlock == 0)
        starts_.push_back(std::make_unique_for_overwrite<const char*[]>(StartsBlock));
    starts_.back()[count_ % StartsBlock] = entry;
    ++count_;
}

// The set never has 2^32 places, so the hash's low 32 bits place a path in any size of it.
std::uint32_t PathList::HashOf(std::string_view path)
{
    return static_cast<std::uint32_t>(std::hash<std::string_view>{}(path));
}

bool PathList::Append(std::string_view folder, std::string_view name, FileId id)
{
    FileTheRest();
    // Joined in place, then looked up: a duplicate simply is not kept.
    const char* entry = Join(folder, name, id);
    const std::string_view path(entry + HeaderSize, folder.size() + name.size());
    const std::uint32_t hash = HashOf(path);
    if (Held(path, hash))
        return false;
    Keep(entry);
    MakeRoomFor(count_);
    Remember(count_ - 1, hash);
    filed_ = count_;
    return true;
}

void PathList::AppendNew(std::string_view folder, std::string_view name, FileId id)
{
    Keep(Join(folder, name, id));
}

bool PathList::Held(std::string_view path, std::uint32_t hash) const
{
    if (slots_.empty())
        return false;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot& held = slots_[slot];
        if (held.index == 0)
            return false;
        if (held.hash == hash && (*this)[held.index - 1] == path)
            return true;
    }
}

void PathList::Remember(std::size_t index, std::uint32_t hash)
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hash & mask;
    while (slots_[slot].index != 0)
        slot = (slot + 1) & mask;
    slots_[slot] = {static_cast<std::uint32_t>(index + 1), hash};
}

// Files the paths appended with AppendNew since the set was last complete.
void PathList::FileTheRest()
{
    if (filed_ == count_)
        return;
    MakeRoomFor(count_);
    for (; filed_ < count_; ++filed_)
        Remember(filed_, HashOf((*this)[filed_]));
}

// Doubles the set until it stays at most half full with paths in it, and
// files again what it held, by the kept hashes.
void PathList::MakeRoomFor(std::size_t paths)
{
    std::size_t size = slots_.empty() ? 64 : slots_.size();
    while ((paths + 1) * 2 > size)
        size *= 2;
    if (size == slots_.size())
        return;
    std::vector<Slot> old(size);
    old.swap(slots_);
    for (const Slot& held : old) {
        if (held.index != 0)
            Remember(held.index - 1, held.hash);
    }
}

void PathList::Clear()
{
    *this = PathList();
}

std::size_t PathList::MemoryUsed() const
{
    std::size_t bytes = starts_.capacity() * sizeof(starts_[0]) + starts_.size() * StartsBlock * sizeof(const char*) +
                        slots_.capacity() * sizeof(Slot) + chunks_.capacity() * sizeof(chunks_[0]) +
                        chunkSizes_.capacity() * sizeof(std::size_t);
    for (std::size_t size : chunkSizes_)
        bytes += size;
    return bytes;
}

} // namespace sorvex
