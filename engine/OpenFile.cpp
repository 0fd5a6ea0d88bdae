#include "engine/OpenFile.h"

#include "platform/FileServices.h"

namespace sorvex {

void OpenFile::Close()
{
    if (fd_ >= 0)
        fs_.Close(fd_);
    fd_ = -1;
}

} // namespace sorvex
