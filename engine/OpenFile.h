#pragma once

#include <string>

namespace sorvex {

class FileServices;

// A file opened for writing for one pass; closed when the pass is left in any way.
// Refusal raises "Cannot open file <path>" with the path exactly as held.
class OpenFile {
public:
    OpenFile(FileServices& fs, const std::string& path);
    ~OpenFile() { Close(); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int Fd() const { return fd_; }
    void Close();

private:
    FileServices& fs_;
    int fd_;
};

} // namespace sorvex
