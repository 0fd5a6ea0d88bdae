#pragma once

namespace sorvex {

class FileServices;

// A file opened for writing, closed when it is left in any way.
class OpenFile {
public:
    explicit OpenFile(FileServices& fs, int fd = -1) : fs_(fs), fd_(fd) {}
    ~OpenFile() { Close(); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int Fd() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    void Close();
    void Adopt(int fd) // one closed before
    {
        Close();
        fd_ = fd;
    }

private:
    FileServices& fs_;
    int fd_;
};

} // namespace sorvex
