// The quick conversion of planar YUV frames against the general scaler's careful path: the same
// picture to within rounding, for the matrices, ranges, subsamplings and shapes videos come in.
#include "picture.h"
#include "rowsinthemaking.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Case {
    const char* name;
    AVPixelFormat format;
    AVColorSpace space;
    AVColorRange range;
    int width, height;                // stored
    int displayWidth, displayHeight;  // the picture asked for
};

// A colour test picture: bars of the primaries and their mixes over the top half, ramps of red,
// green and blue below, and a band of one-pixel coloured stripes: sharp chroma edges, smooth
// ramps and the extremes, all within the colours RGB can hold. Made in RGB and put into the
// frame's matrix and range as an encoder would, chroma averaged over each subsampled block.
void Rgb(const Case& c, int x, int y, double rgb[3])
{
    static const double kBars[8][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0}, {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}};
    const double across = double(x) / c.width, down = double(y) / c.height;
    if (down < 0.5) {
        for (int i = 0; i < 3; ++i)
            rgb[i] = kBars[x * 8 / c.width][i] * (down < 0.25 ? 1.0 : 0.75);
    } else if (down < 0.875) {
        rgb[0] = across, rgb[1] = 1 - across, rgb[2] = (down - 0.5) / 0.375;
    } else {
        rgb[0] = (x & 1) ? 1.0 : 0.1, rgb[1] = (x & 2) ? 0.9 : 0.0, rgb[2] = (x & 1) ? 0.0 : 1.0;
    }
}

FrameHandle TestPicture(const Case& c)
{
    FrameHandle frame(av_frame_alloc());
    frame->format = c.format;
    frame->width = c.width;
    frame->height = c.height;
    frame->colorspace = c.space;
    frame->color_range = c.range;
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    const double kr = c.space == AVCOL_SPC_BT709 ? 0.2126 : 0.299, kb = c.space == AVCOL_SPC_BT709 ? 0.0722 : 0.114;
    const bool full = c.range == AVCOL_RANGE_JPEG;
    const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(c.format);
    for (int plane = 0; plane < 3; ++plane) {
        const int shiftX = plane ? layout->log2_chroma_w : 0, shiftY = plane ? layout->log2_chroma_h : 0;
        for (int y = 0; y < AV_CEIL_RSHIFT(c.height, shiftY); ++y) {
            std::uint8_t* row = frame->data[plane] + std::ptrdiff_t(y) * frame->linesize[plane];
            for (int x = 0; x < AV_CEIL_RSHIFT(c.width, shiftX); ++x) {
                double sum = 0;
                int samples = 0;
                for (int ly = y << shiftY; ly < std::min((y + 1) << shiftY, c.height); ++ly) {
                    for (int lx = x << shiftX; lx < std::min((x + 1) << shiftX, c.width); ++lx, ++samples) {
                        double rgb[3];
                        Rgb(c, lx, ly, rgb);
                        const double luma = kr * rgb[0] + (1 - kr - kb) * rgb[1] + kb * rgb[2];
                        sum += plane == 0 ? luma : (plane == 1 ? (rgb[2] - luma) / (2 * (1 - kb)) : (rgb[0] - luma) / (2 * (1 - kr)));
                    }
                }
                const double value = sum / samples;
                const double level = plane == 0 ? (full ? 255 * value : 16 + 219 * value) : 128 + (full ? 255 : 224) * value;
                row[x] = std::uint8_t(std::clamp(std::lround(level), 0L, 255L));
            }
        }
    }
    return frame;
}

double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
    return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * double(a.size()) / sum);
}

class QuickConversion : public ::testing::TestWithParam<Case> {};

TEST_P(QuickConversion, MatchesTheCarefulPath)
{
    const Case& c = GetParam();
    const FrameHandle frame = TestPicture(c);
    const int w = c.displayWidth, h = c.displayHeight;
    std::vector<std::uint8_t> careful(std::size_t(w) * h * 3), quick(careful.size()), bitmapRows(careful.size());
    ASSERT_TRUE(ScaleToBgrGeneral(*frame, w, h, careful.data(), w * 3));
    ASSERT_TRUE(ScaleToBgr(*frame, w, h, quick.data(), w * 3));
    EXPECT_GE(Psnr(careful, quick), 50.0);

    // The grab's bitmap, written bottom-up straight from the frame, holds the same picture.
    QString error;
    const std::unique_ptr<DibBitmap> bitmap = FrameToBitmap(*frame, w, h, 0, &error);
    ASSERT_TRUE(bitmap) << error.toStdString();
    for (int y = 0; y < h; ++y)
        std::copy_n(&bitmap->pixels[std::size_t(h - 1 - y) * std::size_t(bitmap->Stride())], std::size_t(w) * 3,
                    &bitmapRows[std::size_t(y) * w * 3]);
    EXPECT_GE(Psnr(careful, bitmapRows), 50.0);

    // Made in turn on a thread of its own, as a grab's encoder takes the rows: the same bytes.
    if (!ConvertsStraight(*frame, w, h, 0))
        return;
    const std::unique_ptr<DibBitmap> inTurn = NewBitmap(w, h, &error);
    const std::ptrdiff_t stride = inTurn->Stride();
    {
        RowsInTheMaking rows(SharedFrame(av_frame_clone(frame.get()), AVFrameFreer()),
                             &inTurn->pixels[std::size_t(stride) * std::size_t(h - 1)], -stride);
        for (int n = 1; n <= h + 16; n += 97)
            rows.WaitFor(n);
    }
    EXPECT_TRUE(inTurn->pixels == bitmap->pixels);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, QuickConversion,
    ::testing::Values(Case{"Bt601Limited420", AV_PIX_FMT_YUV420P, AVCOL_SPC_SMPTE170M, AVCOL_RANGE_MPEG, 1280, 720, 1280, 720},
                      Case{"Bt709Limited420", AV_PIX_FMT_YUV420P, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, 1280, 720, 1280, 720},
                      Case{"Bt709Full420", AV_PIX_FMT_YUVJ420P, AVCOL_SPC_BT709, AVCOL_RANGE_JPEG, 1280, 720, 1280, 720},
                      Case{"Bt601Full422", AV_PIX_FMT_YUV422P, AVCOL_SPC_BT470BG, AVCOL_RANGE_JPEG, 1280, 720, 1280, 720},
                      Case{"Bt709Limited422", AV_PIX_FMT_YUV422P, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, 1280, 720, 1280, 720},
                      Case{"Limited444OddSize", AV_PIX_FMT_YUV444P, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, 333, 201, 333, 201},
                      Case{"RowEnds420", AV_PIX_FMT_YUV420P, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, 1000, 562, 1000, 562},
                      Case{"OddSize420", AV_PIX_FMT_YUV420P, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_MPEG, 641, 359, 641, 359},
                      Case{"AnamorphicDvd", AV_PIX_FMT_YUV420P, AVCOL_SPC_BT470BG, AVCOL_RANGE_MPEG, 720, 576, 1024, 576}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
