#include "jpegwriter.h"

#include <QIODevice>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <memory>
#include <cstdio>  // jpeglib.h needs FILE declared first

#include <jpeglib.h>

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo's blue-green-red input layouts are needed"
#endif

namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;
constexpr int kRowsPerCall = 16;
constexpr int kMaxMarkerBytes = 65533;  // a marker's length field counts itself

// The device is written a buffer at a time. A refused write is remembered and reported at the end
// rather than jumped out of, so no C++ frame is ever left by a jump.
struct Destination {
    jpeg_destination_mgr manager{};  // first: libjpeg hands back its address
    QIODevice* device = nullptr;
    bool failed = false;
    JOCTET buffer[kBufferBytes];
};

Destination& DestinationOf(j_compress_ptr info)
{
    return *reinterpret_cast<Destination*>(info->dest);
}

void Restart(Destination& to)
{
    to.manager.next_output_byte = to.buffer;
    to.manager.free_in_buffer = kBufferBytes;
}

void Flush(Destination& to, std::size_t bytes)
{
    const auto length = qint64(bytes);
    if (!to.failed && to.device->write(reinterpret_cast<const char*>(to.buffer), length) != length)
        to.failed = true;
    Restart(to);
}

void InitDestination(j_compress_ptr info)
{
    Restart(DestinationOf(info));
}

boolean EmptyOutputBuffer(j_compress_ptr info)
{
    Flush(DestinationOf(info), kBufferBytes);
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    Destination& to = DestinationOf(info);
    Flush(to, kBufferBytes - to.manager.free_in_buffer);
}

struct Errors {
    jpeg_error_mgr manager{};  // first: libjpeg hands back its address
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void ErrorExit(j_common_ptr info)
{
    auto* errors = reinterpret_cast<Errors*>(info->err);
    info->err->format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void IgnoreWarning(j_common_ptr) {}

// Qt's choice for an image of dotsPerMeter: whole dots per inch, or per centimetre when those are
// nearer to whole.
void SetDensity(jpeg_compress_struct& info, int dotsPerMeter)
{
    const double perInch = dotsPerMeter * 0.0254, perCm = dotsPerMeter / 100.0;
    if (std::abs(perInch - std::round(perInch)) < std::abs(perCm - std::round(perCm)) * 2.54) {
        info.density_unit = 1;
        info.X_density = info.Y_density = UINT16(std::lround(perInch));
    } else {
        info.density_unit = 2;
        info.X_density = info.Y_density = UINT16((dotsPerMeter + 50) / 100);
    }
}

// libjpeg reports errors by jumping back here: between setjmp and the returns nothing in this
// frame has a destructor, and the row gate is called (and returns) outside any libjpeg call.
bool Compress(jpeg_compress_struct& info, Errors& errors, Destination& to, const JpegRows& rows, int quality,
              const QByteArray& comment, int dotsPerMeter)
{
    if (setjmp(errors.jump))
        return false;
    jpeg_create_compress(&info);
    info.dest = &to.manager;
    info.image_width = JDIMENSION(rows.width);
    info.image_height = JDIMENSION(rows.height);
    info.input_components = rows.bytesPerPixel;
    info.in_color_space = rows.bytesPerPixel == 4 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    SetDensity(info, dotsPerMeter);
    jpeg_set_quality(&info, std::clamp(quality, 1, 100), TRUE);
    jpeg_start_compress(&info, TRUE);
    if (!comment.isEmpty())
        jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.constData()),
                          unsigned(std::min<qsizetype>(comment.size(), kMaxMarkerBytes)));
    JSAMPROW batch[kRowsPerCall];
    while (info.next_scanline < info.image_height) {
        const int first = int(info.next_scanline);
        const int count = std::min(kRowsPerCall, rows.height - first);
        if (rows.waitForRows)
            rows.waitForRows(first + count);
        for (int i = 0; i < count; ++i)
            batch[i] = const_cast<JSAMPROW>(rows.top + std::ptrdiff_t(first + i) * rows.pitch);
        jpeg_write_scanlines(&info, batch, JDIMENSION(count));
    }
    jpeg_finish_compress(&info);
    return true;
}

}  // namespace

ImageStatus WriteJpeg(const JpegRows& rows, int quality, const QByteArray& comment, int dotsPerMeter,
                      QIODevice& device)
{
    if (!rows.top || rows.width <= 0 || rows.height <= 0 || (rows.bytesPerPixel != 3 && rows.bytesPerPixel != 4))
        return ImageStatus::Fail(QStringLiteral("there is no picture to encode"));
    jpeg_compress_struct info{};
    Errors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = ErrorExit;
    errors.manager.output_message = IgnoreWarning;
    auto to = std::make_unique<Destination>();
    to->device = &device;
    to->manager.init_destination = InitDestination;
    to->manager.empty_output_buffer = EmptyOutputBuffer;
    to->manager.term_destination = TermDestination;
    const bool encoded = Compress(info, errors, *to, rows, quality, comment, dotsPerMeter);
    jpeg_destroy_compress(&info);
    if (!encoded)
        return ImageStatus::Fail(QStringLiteral("the JPEG encoder failed: %1").arg(QString::fromLocal8Bit(errors.message)));
    if (to->failed)
        return ImageStatus::Fail(device.errorString());
    return ImageStatus::Ok();
}
