#pragma once

#include <cstdint>

namespace sorvex {

class FileServices;

// How far what is written to a file has been sent on to the medium. Every
// Chunk written, writing that chunk out is started and the one before it
// waited for, which has had a chunk's time to get there: no more than two
// chunks wait in memory, so no wait is long and a flush has little left.
class WriteOut {
public:
    static constexpr std::int64_t Chunk = std::int64_t{4} << 20;
    void After(FileServices& fs, int fd, std::int64_t writtenTo);

private:
    std::int64_t started_ = 0; // writing out began for the bytes below
    std::int64_t waited_ = 0; // the bytes below are on the medium
};

} // namespace sorvex
