// The live grab: the copied frame upright in a file, the thumbnail's sampling, the item, names.
#include "cimage.h"
#include "livegrab.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A frame as the callback hands it over: rows bottom first, each pixel blue, green, red.
CapturedFrame MakeFrame(int width, int height, const std::function<QRgb(int x, int imageRow)>& colour)
{
    CapturedFrame frame{std::make_unique<std::uint8_t[]>(std::size_t(width) * height * 3), width, height, 24};
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            const QRgb c = colour(x, height - 1 - row);
            std::uint8_t* p = frame.pixels.get() + (std::size_t(row) * width + x) * 3;
            p[0] = std::uint8_t(qBlue(c));
            p[1] = std::uint8_t(qGreen(c));
            p[2] = std::uint8_t(qRed(c));
        }
    }
    return frame;
}

}  // namespace

TEST(LiveGrab, TheFrameStandsUpright)
{
    // Bytes as delivered: row 0 (the bottom) 10 20 30, 40 50 60; row 1 (the top) 70 80 90, 100 110 120.
    CapturedFrame frame{std::make_unique<std::uint8_t[]>(12), 2, 2, 24};
    const std::uint8_t bytes[] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    std::copy(std::begin(bytes), std::end(bytes), frame.pixels.get());
    CImage image;
    ASSERT_TRUE(FrameToImage(frame, image));
    EXPECT_EQ(image.GetPixel(0, 0), MakeColorRef(90, 80, 70));
    EXPECT_EQ(image.GetPixel(1, 1), MakeColorRef(60, 50, 40));
}

TEST(LiveGrab, ThumbnailSampling)
{
    // 5 x 9.6 is 48 in double precision, so row 5 samples 527, not 528.
    const int rows576[] = {575, 566, 556, 547, 537, 527, 518, 508};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(ThumbSourceRow(i, 576), rows576[i]) << i;
    EXPECT_EQ(ThumbSourceRow(1, 480), 471);
    EXPECT_EQ(ThumbSourceColumn(3, 640), 24);
    // Narrower than 80 columns and lower than 60 rows: columns and rows repeat.
    const int columns40[] = {0, 0, 1, 1, 2, 2};
    for (int j = 0; j < 6; ++j)
        EXPECT_EQ(ThumbSourceColumn(j, 40), columns40[j]) << j;
    EXPECT_EQ(ThumbSourceRow(0, 30), 29);
    EXPECT_EQ(ThumbSourceRow(1, 30), 29);
    EXPECT_EQ(ThumbSourceRow(59, 30), 0);
}

TEST(LiveGrab, RedAboveBlueGivesAFileAndThumbnailRedOnTop)
{
    QTemporaryDir dir;
    const CapturedFrame frame = MakeFrame(160, 120, [](int, int y) { return y < 60 ? qRgb(255, 0, 0) : qRgb(0, 0, 255); });
    const LiveGrabResult grab = MakeLiveGrab(frame, QStringLiteral("USB Video"), 1, {dir.path(), 2, {}});
    ASSERT_TRUE(grab.item) << grab.error.toStdString();
    EXPECT_EQ(grab.item->GetPath(), dir.filePath(QStringLiteral("USB Video_1.png")));
    EXPECT_EQ(grab.item->GetCaption(), QStringLiteral("USB Video_1"));
    EXPECT_EQ(grab.item->GetKind(), CClipObj::kCaptureDevice);
    EXPECT_EQ(grab.item->GetNumber(), 1);
    EXPECT_TRUE(grab.item->GetSource().isEmpty());

    const QImage file(grab.item->GetPath());
    EXPECT_EQ(file.text(QStringLiteral("Channel")), QStringLiteral("USB Video"));
    EXPECT_EQ(file.text(QStringLiteral("Grab")), QStringLiteral("1"));
    EXPECT_EQ(file.pixel(80, 10), qRgb(255, 0, 0));
    EXPECT_EQ(file.pixel(80, 110), qRgb(0, 0, 255));

    // The block is bottom-up: its last row is the picture's top.
    ASSERT_EQ(grab.item->GetThumbWidth(), 80);
    const QByteArray& block = grab.item->GetThumbBlock();
    ASSERT_EQ(block.size(), 14440);
    const auto pixel = [&](int row, int column) {
        const int at = CClipObj::kThumbHeaderBytes + (row * 80 + column) * 3;
        return qRgb(std::uint8_t(block[at + 2]), std::uint8_t(block[at + 1]), std::uint8_t(block[at]));
    };
    EXPECT_EQ(pixel(59, 40), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(0, 40), qRgb(0, 0, 255));
}

TEST(LiveGrab, NamesAreSafeAndNeverReplaceAFile)
{
    QTemporaryDir dir;
    const CapturedFrame frame = MakeFrame(4, 4, [](int, int) { return qRgb(1, 2, 3); });
    QFile earlier(dir.filePath(QStringLiteral("Cam A_1.bmp")));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("from an earlier run");
    earlier.close();

    const LiveGrabResult again = MakeLiveGrab(frame, QStringLiteral("Cam A"), 1, {dir.path(), 0, {}});
    ASSERT_TRUE(again.item);
    EXPECT_EQ(again.item->GetCaption(), QStringLiteral("Cam A_1 (2)"));
    EXPECT_EQ(QFileInfo(earlier.fileName()).size(), 19) << "the earlier file is kept";

    const LiveGrabResult unsafe = MakeLiveGrab(frame, QStringLiteral("../up"), 1, {dir.path(), 0, {}});
    ASSERT_TRUE(unsafe.item);
    EXPECT_EQ(QFileInfo(unsafe.item->GetPath()).dir().absolutePath(), QDir(dir.path()).absolutePath());
}

TEST(LiveGrab, AFileThatCannotBeWrittenGivesNoItemAndSaysWhere)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const QString imageDir = dir.filePath(QStringLiteral("file/sub"));
    const LiveGrabResult grab = MakeLiveGrab(MakeFrame(4, 4, [](int, int) { return 0u; }), QStringLiteral("Cam"), 1,
                                             {imageDir, 2, {}});
    EXPECT_FALSE(grab.item);
    EXPECT_TRUE(grab.error.contains(imageDir)) << grab.error.toStdString();
}
