#include "cimage.h"

#include <QPainter>
#include <gtest/gtest.h>

TEST(CImageGeometry, RowsArePaddedAndAddressedFromTheTop)
{
    CImage image;
    ASSERT_TRUE(image.Create(80, 60, 24));
    EXPECT_EQ(image.GetWidth(), 80);
    EXPECT_EQ(image.GetHeight(), 60);
    EXPECT_EQ(image.GetBPP(), 24);
    EXPECT_EQ(image.GetPitch(), -240);
    EXPECT_FALSE(image.HasAlpha());

    CImage odd;
    ASSERT_TRUE(odd.Create(81, 2, 24));
    EXPECT_EQ(odd.GetPitch(), -244);
    odd.SetPixel(0, 0, MakeColorRef(1, 2, 3));
    // Top row of a bottom-up bitmap is the last row in memory: bits points there.
    EXPECT_EQ(odd.GetBits()[0], 3);
    EXPECT_EQ(odd.GetBits()[2], 1);

    CImage topDown;
    ASSERT_TRUE(topDown.Create(10, -5, 32, CImage::kCreateAlpha));
    EXPECT_EQ(topDown.GetHeight(), 5);
    EXPECT_EQ(topDown.GetPitch(), 40);
    EXPECT_TRUE(topDown.HasAlpha());

    CImage refused;
    EXPECT_FALSE(refused.Create(10, 10, 12));
    EXPECT_FALSE(refused.Create(0, 10, 24));
    EXPECT_FALSE(refused.Create(100000, 100000, 32)) << "beyond what a bitmap may hold";
    EXPECT_TRUE(refused.IsNull());
}

TEST(CImageGeometry, PixelsAtEveryDepth)
{
    const ColorRef colour = MakeColorRef(200, 100, 50);
    for (const int bpp : {1, 4, 8, 16, 24, 32}) {
        CImage image;
        ASSERT_TRUE(image.Create(5, 3, bpp)) << bpp;
        if (bpp <= 8) {
            const std::uint32_t table[2] = {0x000000, 0xC86432};  // black, and the colour as 0x00RRGGBB
            image.SetColorTable(0, 2, table);
        }
        image.SetPixel(4, 2, colour);
        const ColorRef back = image.GetPixel(4, 2);
        if (bpp == 16) {
            EXPECT_NEAR(int(back & 0xFF), 200, 8);
        } else {
            EXPECT_EQ(back, colour) << bpp;
        }
        EXPECT_EQ(image.GetPixel(3, 2), 0u) << bpp;  // zeroed: black, or palette entry 0
        EXPECT_EQ(image.GetPixel(5, 0), CImage::kInvalidColor);
        image.SetPixel(-1, 0, colour);  // ignored
    }
}

TEST(CImageAttach, AdoptsOutsideBitmapsInEitherOrientation)
{
    auto bitmap = std::make_unique<DibBitmap>();
    bitmap->width = 2;
    bitmap->height = 2;  // positive: the first stored row is the bottom one
    bitmap->bpp = 24;
    bitmap->pixels = {/* bottom */ 1, 1, 1, 2, 2, 2, 0, 0, /* top */ 9, 9, 9, 8, 8, 8, 0, 0};
    CImage image;
    ASSERT_TRUE(image.Attach(std::move(bitmap)));
    EXPECT_EQ(image.GetPitch(), -8);
    EXPECT_EQ(image.GetPixel(0, 0), MakeColorRef(9, 9, 9));
    EXPECT_EQ(image.GetPixel(1, 1), MakeColorRef(2, 2, 2));

    auto shortPixels = std::make_unique<DibBitmap>();
    shortPixels->width = 100;
    shortPixels->height = 100;
    shortPixels->bpp = 24;
    shortPixels->pixels.resize(100);
    EXPECT_FALSE(image.Attach(std::move(shortPixels)));
    EXPECT_TRUE(image.IsNull());
}

TEST(CImageDraw, CopiesTheTopLeftPartRightWayUpAndBlendsAlpha)
{
    CImage image;
    ASSERT_TRUE(image.Create(4, 4, 32, CImage::kCreateAlpha));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x)
            image.SetPixel(x, y, y == 0 ? MakeColorRef(255, 0, 0) : MakeColorRef(0, 0, 255));
    }
    // Half-transparent top row.
    for (int x = 0; x < 4; ++x)
        image.GetBits()[x * 4 + 3] = 128;

    QImage canvas(8, 8, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    ASSERT_TRUE(image.Draw(&painter, 0, 0, 8, 8, 4, 2));  // the top two rows, stretched
    painter.end();

    const QColor top = canvas.pixelColor(4, 1);
    EXPECT_NEAR(top.red(), 255, 2);
    EXPECT_NEAR(top.green(), 127, 3) << "red at half alpha over white";
    EXPECT_EQ(canvas.pixelColor(4, 6), QColor(0, 0, 255)) << "the second row, opaque";
    EXPECT_FALSE(image.Draw(nullptr, 0, 0, 1, 1, 1, 1));
    EXPECT_FALSE(CImage().Draw(&painter, 0, 0, 1, 1, 1, 1));
}

// Each storage path (bottom-up rows drawn mirrored, top-down rows, the converted 4-bit and 32-bit
// pixels) must pick the same part of the picture when only a part is drawn.
TEST(CImageDraw, APartAwayFromTheCornerIsTheSamePartAtEveryDepth)
{
    const auto colourAt = [](int x, int y) { return MakeColorRef(x < 3 ? 255 : 0, y < 2 ? 255 : 0, 128); };
    for (const int height : {4, -4}) {
        for (const int bpp : {4, 24, 32}) {
            CImage image;
            ASSERT_TRUE(image.Create(6, height, bpp));
            if (bpp == 4) {
                const std::uint32_t table[4] = {0x00FF0080, 0x00000080, 0x00FFFF80, 0x0000FF80};  // 0x00RRGGBB
                image.SetColorTable(0, 4, table);
            }
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 6; ++x)
                    image.SetPixel(x, y, colourAt(x, y));
            }
            QImage canvas(40, 40, QImage::Format_RGB32);
            canvas.fill(Qt::black);
            QPainter painter(&canvas);
            // Pixels 2..4 of rows 1..2, each drawn as a 10 x 10 block.
            ASSERT_TRUE(image.Draw(&painter, QRectF(5, 5, 30, 20), QRect(2, 1, 3, 2)));
            painter.end();
            for (int y = 0; y < 2; ++y) {
                for (int x = 0; x < 3; ++x) {
                    EXPECT_EQ(canvas.pixelColor(10 + 10 * x, 10 + 10 * y), ToQColor(colourAt(2 + x, 1 + y)))
                        << bpp << " bits, height " << height << ", block " << x << "," << y;
                }
            }
            EXPECT_EQ(canvas.pixelColor(2, 2), QColor(Qt::black)) << "nothing outside the destination";
        }
    }
}
