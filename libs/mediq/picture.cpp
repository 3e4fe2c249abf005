#include "picture.h"

#include "yuvtobgr.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// A scaler kept between pictures of the same size and format, with the colour matrix it was last
// given: building one costs a sizeable part of scaling a frame.
struct Scaler {
    SwsHandle sws;
    int space = -1;
    int fullRange = -1;
};

bool Scale(Scaler& scaler, const AVFrame& frame, int width, int height, AVPixelFormat format, int flags,
           std::uint8_t* out, int stride)
{
    SwsContext* const previous = scaler.sws.get();
    scaler.sws.reset(sws_getCachedContext(scaler.sws.release(), frame.width, frame.height, AVPixelFormat(frame.format),
                                          width, height, format, flags, nullptr, nullptr, nullptr));
    if (!scaler.sws)
        return false;
    // The matrix the file declares (HD is BT.709), and full-range sources as such.
    const int space = frame.colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709
        : frame.colorspace == AVCOL_SPC_BT2020_NCL      ? SWS_CS_BT2020
                                                        : SWS_CS_DEFAULT;
    const int fullRange = frame.color_range == AVCOL_RANGE_JPEG ? 1 : 0;
    if (scaler.sws.get() != previous || space != scaler.space || fullRange != scaler.fullRange) {
        sws_setColorspaceDetails(scaler.sws.get(), sws_getCoefficients(space), fullRange,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
        scaler.space = space;
        scaler.fullRange = fullRange;
    }
    std::uint8_t* planes[4] = {out, nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    return sws_scale(scaler.sws.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) == height;
}

}  // namespace

namespace {

// Grabs are written once and looked at closely: the careful filter.
constexpr int kCareful = SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT;

// A planar YUV frame the quick conversion takes, scaled by the general scaler's careful filter to
// 4:4:4 at width x height, keeping its matrix and range for the conversion that follows.
FrameHandle ScaleTo444(const AVFrame& frame, int width, int height)
{
    FrameHandle scaled(av_frame_alloc());
    if (!scaled)
        return nullptr;
    scaled->format = AV_PIX_FMT_YUV444P;  // the range goes with the frame
    scaled->width = width;
    scaled->height = height;
    scaled->colorspace = frame.colorspace;
    scaled->color_range = frame.color_range;
    if (av_frame_get_buffer(scaled.get(), 0) < 0)
        return nullptr;
    SwsHandle sws(sws_getContext(frame.width, frame.height, AVPixelFormat(frame.format), width, height,
                                 AVPixelFormat(scaled->format), kCareful & ~SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr));
    if (!sws)
        return nullptr;
    // YUV in, YUV out: no change of range on the way (the conversion applies the frame's own).
    const int* table = sws_getCoefficients(SWS_CS_DEFAULT);
    const int fullRange = frame.color_range == AVCOL_RANGE_JPEG ? 1 : 0;
    sws_setColorspaceDetails(sws.get(), table, fullRange, table, fullRange, 0, 1 << 16, 1 << 16);
    if (sws_scale(sws.get(), frame.data, frame.linesize, 0, frame.height, scaled->data, scaled->linesize) != height)
        return nullptr;
    return scaled;
}

}  // namespace

bool ScaleToBgrGeneral(const AVFrame& frame, int width, int height, std::uint8_t* out, int stride)
{
    Scaler scaler;
    return Scale(scaler, frame, width, height, AV_PIX_FMT_BGR24, kCareful, out, stride);
}

bool ScaleToBgr(const AVFrame& frame, int width, int height, std::uint8_t* out, int stride)
{
    if (!YuvToBgrTakes(frame))
        return ScaleToBgrGeneral(frame, width, height, out, stride);
    if (width == frame.width && height == frame.height) {
        YuvToBgr(frame, out, stride);
        return true;
    }
    const FrameHandle scaled = ScaleTo444(frame, width, height);
    if (!scaled)
        return ScaleToBgrGeneral(frame, width, height, out, stride);
    YuvToBgr(*scaled, out, stride);
    return true;
}

bool ScaleForDisplay(const AVFrame& frame, int width, int height, std::uint8_t* out, int stride)
{
    // Shown for a frame's time while playing or stepping: the quick filter, 32-bit rows, and one
    // scaler per thread for the run of frames of one file.
    thread_local Scaler scaler;
    if (!Scale(scaler, frame, width, height, AV_PIX_FMT_BGR0, SWS_BILINEAR, out, stride))
        return false;
    // The unused fourth byte must read as opaque in an RGB32 image; RGB sources leave it unset.
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(out + std::ptrdiff_t(y) * stride);
        for (int x = 0; x < width; ++x)
            row[x] |= 0xFF000000u;
    }
    return true;
}

namespace {

// The pixel of a width x height BGR picture (top row first) that lands at (x, y) after turning it
// clockwise by rotation degrees.
const std::uint8_t* RotatedSource(const std::vector<std::uint8_t>& bgr, int width, int height, int rotation,
                                  int x, int y)
{
    int sx = x, sy = y;
    switch (rotation) {
    case 90: sx = y, sy = height - 1 - x; break;
    case 180: sx = width - 1 - x, sy = height - 1 - y; break;
    case 270: sx = width - 1 - y, sy = x; break;
    default: break;
    }
    return bgr.data() + (std::size_t(sy) * std::size_t(width) + std::size_t(sx)) * 3;
}

}  // namespace

bool DisplayPicture(const AVFrame& frame, int width, int height, int rotation, std::vector<std::uint8_t>& out)
{
    const bool quarter = rotation == 90 || rotation == 270;
    const int sw = quarter ? height : width, sh = quarter ? width : height;
    std::vector<std::uint8_t> scaled(std::size_t(sw) * std::size_t(sh) * 3);
    if (!ScaleToBgr(frame, sw, sh, scaled.data(), sw * 3))
        return false;
    if (rotation == 0) {
        out = std::move(scaled);
        return true;
    }
    out.resize(scaled.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            std::memcpy(&out[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3],
                        RotatedSource(scaled, sw, sh, rotation, x, y), 3);
    }
    return true;
}

bool ConvertsStraight(const AVFrame& frame, int width, int height, int rotation)
{
    return rotation == 0 && width == frame.width && height == frame.height && YuvToBgrTakes(frame);
}

std::unique_ptr<DibBitmap> NewBitmap(int width, int height, QString* error)
{
    if (width <= 0 || height <= 0 || std::int64_t(width) * height > (std::int64_t(1) << 28)) {
        if (error)
            *error = QStringLiteral("A picture of %1 x %2 cannot be made.").arg(width).arg(height);
        return nullptr;
    }
    auto bitmap = std::make_unique<DibBitmap>();
    bitmap->width = width;
    bitmap->height = height;  // bottom-up
    bitmap->bpp = 24;
    const auto stride = std::size_t(bitmap->Stride());
    // The pixels are left for the conversion to write; the rows' padding is zeroed here.
    bitmap->pixels.resize(stride * std::size_t(height));
    if (const std::size_t used = std::size_t(width) * 3; used < stride) {
        for (int y = 0; y < height; ++y)
            std::memset(&bitmap->pixels[std::size_t(y) * stride + used], 0, stride - used);
    }
    return bitmap;
}

std::unique_ptr<DibBitmap> FrameToBitmap(const AVFrame& frame, int width, int height, int rotation, QString* error)
{
    std::unique_ptr<DibBitmap> bitmap = NewBitmap(width, height, error);
    if (!bitmap)
        return nullptr;
    const auto stride = std::size_t(bitmap->Stride());
    if (ConvertsStraight(frame, width, height, rotation)) {
        // Straight into the bitmap's rows, from the bottom up: no picture in between.
        YuvToBgr(frame, &bitmap->pixels[stride * std::size_t(height - 1)], -std::ptrdiff_t(stride));
        return bitmap;
    }
    std::vector<std::uint8_t> bgr;
    if (!DisplayPicture(frame, width, height, rotation, bgr)) {
        if (error)
            *error = QStringLiteral("The frame could not be converted to a picture.");
        return nullptr;
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(&bitmap->pixels[std::size_t(height - 1 - y) * stride], &bgr[std::size_t(y) * std::size_t(width) * 3],
                    std::size_t(width) * 3);
    return bitmap;
}

std::unique_ptr<std::uint8_t[]> FrameToThumbBlock(const AVFrame& frame, int displayWidth, int displayHeight,
                                                  int rotation, int width, int height)
{
    // The display aspect inside width x height.
    const double aspect = displayHeight > 0 ? double(displayWidth) / displayHeight : 4.0 / 3.0;
    int fitWidth = width, fitHeight = height;
    if (aspect > double(width) / height)
        fitHeight = std::max(1, int(std::lround(width / aspect)));
    else
        fitWidth = std::max(1, int(std::lround(height * aspect)));
    std::vector<std::uint8_t> bgr;
    if (!DisplayPicture(frame, fitWidth, fitHeight, rotation, bgr))
        return nullptr;

    constexpr int kHeader = 40;
    const std::size_t rowBytes = std::size_t(width) * 3;
    auto block = std::make_unique<std::uint8_t[]>(kHeader + rowBytes * std::size_t(height));  // zeroed: black bars
    std::uint8_t* h = block.get();
    qToLittleEndian<std::int32_t>(kHeader, h);
    qToLittleEndian<std::int32_t>(width, h + 4);
    qToLittleEndian<std::int32_t>(height, h + 8);
    qToLittleEndian<std::uint16_t>(1, h + 12);   // planes
    qToLittleEndian<std::uint16_t>(24, h + 14);  // bits per pixel
    qToLittleEndian<std::uint32_t>(std::uint32_t(rowBytes * std::size_t(height)), h + 20);  // image size
    const int left = (width - fitWidth) / 2, top = (height - fitHeight) / 2;
    for (int y = 0; y < fitHeight; ++y) {
        std::uint8_t* row = block.get() + kHeader + std::size_t(height - 1 - (top + y)) * rowBytes;
        std::memcpy(row + std::size_t(left) * 3, &bgr[std::size_t(y) * std::size_t(fitWidth) * 3], std::size_t(fitWidth) * 3);
    }
    return block;
}
