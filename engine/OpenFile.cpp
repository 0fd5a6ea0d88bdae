#include "engine/OpenFile.h"

#include "engine/Error.h"
#include "platform/FileServices.h"

namespace sorvex {

OpenFile::OpenFile(FileServices& fs, const std::string& path) : fs_(fs), fd_(fs.OpenForWriting(path))
{
    if (fd_ < 0)
        throw Error("Cannot open file " + path);
}

void OpenFile::Close()
{
    if (fd_ >= 0)
        fs_.Close(fd_);
    fd_ = -1;
}

} // namespace sorvex
