#include "engine/OpenFile.h"

#include "app/Errors.h"

OpenFile::OpenFile(platform::FileServices& fs, const std::string& path)
    : fs_(fs), fd_(fs.openForWriting(path))
{
    if (fd_ < 0)
        throw Error("Cannot open file " + path);
}

void OpenFile::Close()
{
    if (fd_ >= 0)
        fs_.close(fd_);
    fd_ = -1;
}
