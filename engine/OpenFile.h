#pragma once

namespace sorvex {

class FileServices;

// A file opened for writing, closed when it is left in any way.
class OpenFile {
public:
    OpenFile(FileServices& fs, int fd) : fs_(fs), fd_(fd) {}
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
