#pragma once

#include <utility>

namespace sorvex {

class FileServices;

// A descriptor with one owner, closed when its owner lets go of it: through
// the file services that opened it, or for the services' own short-lived
// descriptors by the system's close itself. Moved, never copied.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(FileServices& closer, int fd) : closer_(&closer), fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : closer_(other.closer_), fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            Reset();
            closer_ = other.closer_;
            fd_ = other.Release();
        }
        return *this;
    }
    ~UniqueFd() { Reset(); }

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Gives the descriptor up without closing it.
    int Release() { return std::exchange(fd_, -1); }
    void Reset();

private:
    FileServices* closer_ = nullptr;
    int fd_ = -1;
};

} // namespace sorvex
