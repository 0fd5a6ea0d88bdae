#include "platform/UniqueFd.h"

#include "platform/FileServices.h"

#include <unistd.h>

namespace sorvex {

void UniqueFd::Reset()
{
    const int fd = Release();
    if (fd < 0)
        return;
    if (closer_ != nullptr)
        closer_->Close(fd);
    else
        (void)::close(fd); // not retried on EINTR: Linux has let the descriptor go either way
}

} // namespace sorvex
