#pragma once

#include "platform/FileServices.h"

#include <string>
#include <string_view>

namespace sorvex {

// Where the file system of the open fd is mounted, and whether a device
// below it is flash.
Medium MediumOfHandle(int fd);

// Whether the block device "major:minor" is flash, or lies on flash, as the
// block devices under sysBlock ("/sys/dev/block") tell: a partition by its
// disk, a mapped device (LVM, encryption, RAID) by the devices below it, a
// loop device also by the device holding its file. A device whose queue says
// it does not rotate is flash: an SSD, a USB stick, a memory card.
bool OnFlash(const std::string& sysBlock, std::string_view device);

} // namespace sorvex
