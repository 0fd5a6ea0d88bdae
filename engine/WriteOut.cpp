#include "engine/WriteOut.h"

#include "platform/FileServices.h"

namespace sorvex {

void WriteOut::After(FileServices& fs, int fd, std::int64_t writtenTo)
{
    if (writtenTo - started_ < Chunk)
        return;
    fs.StartWriteOut(fd, started_, writtenTo - started_);
    if (started_ > waited_)
        fs.WaitWrittenOut(fd, waited_, started_ - waited_);
    waited_ = started_;
    started_ = writtenTo;
}

} // namespace sorvex
