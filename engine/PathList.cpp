#include "engine/PathList.h"

#include <cstring>
#include <functional>
#include <stdexcept>

std::string_view PathList::operator[](std::size_t index) const
{
    const char* entry = paths_[index];
    Length length;
    std::memcpy(&length, entry, sizeof length);
    return {entry + sizeof length, length};
}

char* PathList::Reserve(std::size_t bytes)
{
    if (chunks_.empty() || chunkUsed_ + bytes > chunkSizes_.back()) {
        const std::size_t size = bytes > ChunkSize ? bytes : ChunkSize;
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        chunkSizes_.push_back(size);
        chunkUsed_ = 0;
    }
    return chunks_.back().get() + chunkUsed_;
}

bool PathList::Append(std::string_view folder, std::string_view name)
{
    const std::size_t length = folder.size() + name.size();
    if (length > UINT32_MAX || paths_.size() >= UINT32_MAX - 1)
        throw std::length_error("path list full");
    // Joined in place, then looked up: a duplicate simply is not kept.
    char* entry = Reserve(sizeof(Length) + length);
    const auto prefix = static_cast<Length>(length);
    std::memcpy(entry, &prefix, sizeof prefix);
    if (!folder.empty())
        std::memcpy(entry + sizeof prefix, folder.data(), folder.size());
    if (!name.empty())
        std::memcpy(entry + sizeof prefix + folder.size(), name.data(), name.size());
    const std::string_view path(entry + sizeof prefix, length);
    const std::size_t hash = std::hash<std::string_view>{}(path);
    if (Held(path, hash))
        return false;
    chunkUsed_ += sizeof prefix + length;
    paths_.push_back(entry);
    if ((paths_.size() + 1) * 2 > slots_.size())
        Grow();
    else
        Remember(paths_.size() - 1, hash);
    return true;
}

bool PathList::Held(std::string_view path, std::size_t hash) const
{
    if (slots_.empty())
        return false;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t held = slots_[slot];
        if (held == 0)
            return false;
        if ((*this)[held - 1] == path)
            return true;
    }
}

void PathList::Remember(std::size_t index, std::size_t hash)
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hash & mask;
    while (slots_[slot] != 0)
        slot = (slot + 1) & mask;
    slots_[slot] = static_cast<std::uint32_t>(index + 1);
}

// Doubles the hash set (kept at most half full) and files every path again.
void PathList::Grow()
{
    slots_.assign(slots_.empty() ? 64 : slots_.size() * 2, 0);
    for (std::size_t i = 0; i < paths_.size(); ++i)
        Remember(i, std::hash<std::string_view>{}((*this)[i]));
}

void PathList::Clear()
{
    *this = PathList();
}

std::size_t PathList::MemoryUsed() const
{
    std::size_t bytes = paths_.capacity() * sizeof(const char*) + slots_.capacity() * sizeof(std::uint32_t) +
                        chunks_.capacity() * sizeof(chunks_[0]) + chunkSizes_.capacity() * sizeof(std::size_t);
    for (std::size_t size : chunkSizes_)
        bytes += size;
    return bytes;
}
