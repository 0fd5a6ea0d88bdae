#include "pages/JpegPicture.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace sorvex {

namespace {

constexpr JDIMENSION MaxSide = 8192;

// libjpeg reports errors through a callback that must not return: it jumps back
// to the last setjmp. Only trivially destructible objects live between the two.
struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    bool warned;
};

[[noreturn]] void OnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

void OnMessage(j_common_ptr info, int level)
{
    if (level < 0) // a warning: damaged or truncated data
        reinterpret_cast<ErrorTrap*>(info->err)->warned = true;
}

class Reader {
public:
    Reader()
    {
        info_.err = jpeg_std_error(&trap_.manager);
        trap_.manager.error_exit = OnError;
        trap_.manager.emit_message = OnMessage;
        trap_.warned = false;
        jpeg_create_decompress(&info_);
    }
    ~Reader() { jpeg_destroy_decompress(&info_); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    bool Start(const QByteArray& jpeg)
    {
        if (setjmp(trap_.jump))
            return false;
        jpeg_mem_src(&info_, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                     static_cast<unsigned long>(jpeg.size()));
        jpeg_read_header(&info_, TRUE);
        if (info_.image_width > MaxSide || info_.image_height > MaxSide)
            return false;
        info_.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info_);
        return info_.output_components == 3 && !trap_.warned;
    }

    bool ReadInto(QImage& image)
    {
        if (setjmp(trap_.jump))
            return false;
        while (info_.output_scanline < info_.output_height) {
            JSAMPROW row = image.scanLine(static_cast<int>(info_.output_scanline));
            jpeg_read_scanlines(&info_, &row, 1);
        }
        jpeg_finish_decompress(&info_);
        return !trap_.warned;
    }

    int Width() const { return static_cast<int>(info_.output_width); }
    int Height() const { return static_cast<int>(info_.output_height); }

private:
    jpeg_decompress_struct info_{};
    ErrorTrap trap_{};
};

} // namespace

QImage DecodeJpeg(const QByteArray& jpeg)
{
    Reader reader;
    if (jpeg.isEmpty() || !reader.Start(jpeg))
        return {};
    QImage image(reader.Width(), reader.Height(), QImage::Format_RGB888);
    if (image.isNull() || !reader.ReadInto(image))
        return {};
    return image;
}

} // namespace sorvex
