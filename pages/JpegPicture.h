#pragma once

#include <QByteArray>
#include <QImage>

namespace sorvex {

// Decodes a baseline or progressive JPEG with libjpeg. A corrupt, truncated or
// unreasonably large picture gives a null image.
QImage DecodeJpeg(const QByteArray& jpeg);

} // namespace sorvex
