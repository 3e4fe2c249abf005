// Files we write, read back by an independent reader.
#include "cimage.h"
#include "jpegwriter.h"
#include "magick.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

enum class Kind { Rgb24, Argb32, Palette8 };

constexpr int kWidth = 37;  // odd, so that row padding matters
constexpr int kHeight = 23;

// A picture of 16 colours (so even GIF can keep it exactly), with alpha varying where present.
CImage MakePicture(Kind kind)
{
    CImage image;
    const int bpp = kind == Kind::Rgb24 ? 24 : kind == Kind::Argb32 ? 32 : 8;
    EXPECT_TRUE(image.Create(kWidth, kHeight, bpp, kind == Kind::Argb32 ? CImage::kCreateAlpha : 0));
    if (kind == Kind::Palette8) {
        std::uint32_t table[16];
        for (int i = 0; i < 16; ++i)
            table[i] = std::uint32_t((i * 16) << 16 | (255 - i * 16) << 8 | (i * 7));
        image.SetColorTable(0, 16, table);
    }
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int i = (x / 3 + y / 4) % 16;
            image.SetPixel(x, y, MakeColorRef(i * 16, 255 - i * 16, i * 7));
            if (kind == Kind::Argb32)
                image.GetBits()[std::ptrdiff_t(y) * image.GetPitch() + x * 4 + 3] = std::uint8_t(x * 7);
        }
    }
    return image;
}

enum class AlphaKept { No, AllOrNothing, Yes };

int SourceAlpha(const CImage& image, int x, int y)
{
    return image.HasAlpha() ? image.GetBits()[std::ptrdiff_t(y) * image.GetPitch() + x * 4 + 3] : 255;
}

// Compares what the reader decoded with the source picture: the largest and the mean difference of
// the channels that the format keeps. A transparent GIF pixel's colour does not count.
struct Difference {
    int largest = 0;
    double mean = 0;
};
Difference Compare(const QByteArray& rgba, const CImage& image, AlphaKept kept)
{
    Difference d;
    qint64 total = 0, count = 0;
    auto add = [&](int a, int b) {
        d.largest = std::max(d.largest, std::abs(a - b));
        total += std::abs(a - b);
        ++count;
    };
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            const auto* p = reinterpret_cast<const quint8*>(rgba.constData()) + (qsizetype(y) * image.GetWidth() + x) * 4;
            const int alpha = SourceAlpha(image, x, y);
            const int expectedAlpha = kept == AlphaKept::Yes ? alpha
                : kept == AlphaKept::AllOrNothing ? (alpha < 128 ? 0 : 255) : 255;
            add(p[3], expectedAlpha);
            if (expectedAlpha == 0)
                continue;
            const ColorRef c = image.GetPixel(x, y);
            add(p[0], int(c & 0xFF));
            add(p[1], int((c >> 8) & 0xFF));
            add(p[2], int((c >> 16) & 0xFF));
        }
    }
    d.mean = count ? double(total) / double(count) : 0;
    return d;
}

struct FormatCase {
    EncoderFormat format;
    const char* extension;
    bool lossless;
    AlphaKept alpha;
};

const FormatCase kFormats[] = {
    {ImageFormatBMP, "bmp", true, AlphaKept::No},   {ImageFormatJPEG, "jpg", false, AlphaKept::No},
    {ImageFormatPNG, "png", true, AlphaKept::Yes},  {ImageFormatGIF, "gif", true, AlphaKept::AllOrNothing},
    {ImageFormatTIFF, "tif", true, AlphaKept::Yes},
};

}  // namespace

TEST(ImageSave, EveryFormatFromEveryKindReadsBackInImageMagick)
{
    if (!MagickAvailable())
        GTEST_SKIP() << "ImageMagick's convert and identify are needed (scripts/install-deps)";
    QTemporaryDir dir;
    for (const Kind kind : {Kind::Rgb24, Kind::Argb32, Kind::Palette8}) {
        const CImage image = MakePicture(kind);
        for (const FormatCase& f : kFormats) {
            const QString path = dir.filePath(QStringLiteral("k%1.%2").arg(int(kind)).arg(QLatin1String(f.extension)));
            const ImageStatus status = image.Save(path, f.format);
            ASSERT_TRUE(status.ok()) << f.extension << ": " << status.error.toStdString();
            EXPECT_EQ(MagickSize(path), QSize(kWidth, kHeight)) << f.extension;

            const QByteArray read = MagickRgba(path);
            ASSERT_EQ(read.size(), kWidth * kHeight * 4) << f.extension;
            const Difference d = Compare(read, image, f.alpha);
            if (f.lossless)
                EXPECT_EQ(d.largest, 0) << f.extension << " from kind " << int(kind);
            else
                EXPECT_LE(d.mean, 8.0) << f.extension << " from kind " << int(kind);
        }
    }
}

TEST(ImageSave, TrueColourGifIsQuantisedToAPalette)
{
    if (!MagickAvailable())
        GTEST_SKIP() << "ImageMagick is needed";
    CImage photo;
    ASSERT_TRUE(photo.Create(64, 64, 24));
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x)
            photo.SetPixel(x, y, MakeColorRef(x * 4, y * 4, (x + y) * 2));  // 4096 colours
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.gif"));
    ASSERT_TRUE(photo.Save(path, ImageFormatGIF).ok());
    const QByteArray read = MagickRgba(path);
    ASSERT_EQ(read.size(), 64 * 64 * 4);
    const Difference d = Compare(read, photo, AlphaKept::No);
    EXPECT_LE(d.mean, 6.0) << "dithered to 256 colours";
}

TEST(ImageSave, FailuresSayWhyAndLeaveNoFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.png"));
    const ImageStatus empty = CImage().Save(path, ImageFormatPNG);
    EXPECT_EQ(empty.hr, E_FAIL);
    EXPECT_FALSE(empty.error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));

    const CImage picture = MakePicture(Kind::Rgb24);
    const ImageStatus noFolder = picture.Save(dir.filePath(QStringLiteral("missing/x.bmp")), ImageFormatBMP);
    EXPECT_EQ(noFolder.hr, E_FAIL);
    EXPECT_TRUE(noFolder.error.contains(QStringLiteral("missing/x.bmp")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList()) << "no temporary file is left";
}

TEST(ImageSave, GrabTextsShowInIdentifyAndLeaveTheFileReadable)
{
    if (!MagickAvailable())
        GTEST_SKIP() << "ImageMagick's identify is needed";
    const ImageTexts texts = VideoGrabTexts(QStringLiteral("/videos/clip one.mp4"), 42, QStringLiteral("00:00:01:17"));
    const CImage image = MakePicture(Kind::Rgb24);
    QTemporaryDir dir;
    for (const FormatCase& f : {kFormats[1], kFormats[2], kFormats[4]}) {
        const QString path = dir.filePath(QStringLiteral("grab.%1").arg(QLatin1String(f.extension)));
        ASSERT_TRUE(image.Save(path, f.format, {ImageEncoding{}, texts}).ok()) << f.extension;
        const QString shown = MagickVerbose(path);
        for (const char* line :
             {"Source: /videos/clip one.mp4", "Frame: 42", "Timecode: 00:00:01:17", "Software: Kestivo"})
            EXPECT_TRUE(shown.contains(QLatin1String(line))) << f.extension << " lacks " << line;
        CImage back;
        EXPECT_TRUE(back.Load(path).ok()) << f.extension;
        EXPECT_EQ(back.GetWidth(), kWidth) << f.extension;
    }
}

// PNG keeps text beyond Latin-1 in an international chunk, JPEG as UTF-8; Qt reads both back.
TEST(ImageSave, ASourceNameBeyondLatin1ReadsBack)
{
    const QString source = QStringLiteral("/videos/Été 日本/видео.mkv");
    const CImage image = MakePicture(Kind::Rgb24);
    QTemporaryDir dir;
    for (const FormatCase& f : {kFormats[1], kFormats[2]}) {
        const QString path = dir.filePath(QStringLiteral("grab.%1").arg(QLatin1String(f.extension)));
        ASSERT_TRUE(image.Save(path, f.format, {ImageEncoding{}, VideoGrabTexts(source, 7, {})}).ok());
        // Qt reads the whole JPEG comment as the text of its first key, the source, lines joined.
        EXPECT_TRUE(QImageReader(path).text(QStringLiteral("Source")).startsWith(source)) << f.extension;
    }
}

TEST(ImageSave, JpegQualityAndPngCompressionChangeTheFileSize)
{
    CImage photo;
    ASSERT_TRUE(photo.Create(160, 120, 24));
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 160; ++x)
            photo.SetPixel(x, y, MakeColorRef(x + (x * y) % 17, y * 2, (x ^ y) & 0xFF));
    }
    QTemporaryDir dir;
    const auto size = [&](EncoderFormat format, int jpegQuality, int pngCompression) {
        const QString path = dir.filePath(QStringLiteral("size"));
        EXPECT_TRUE(photo.Save(path, format, {ImageEncoding{jpegQuality, pngCompression}, {}}).ok());
        return QFileInfo(path).size();
    };
    EXPECT_LT(size(ImageFormatJPEG, 50, 0), size(ImageFormatJPEG, 95, 0));
    EXPECT_LT(size(ImageFormatPNG, 0, 9), size(ImageFormatPNG, 0, 1));
    EXPECT_LT(size(ImageFormatPNG, 0, 1), size(ImageFormatPNG, 0, 0)) << "level 0 stores the rows unpacked";
}

namespace {

// The same picture stored another way: top-down, or at another depth.
CImage Restored(const CImage& from, int height, int bpp, unsigned flags)
{
    CImage image;
    EXPECT_TRUE(image.Create(from.GetWidth(), height, bpp, flags));
    for (int y = 0; y < from.GetHeight(); ++y) {
        for (int x = 0; x < from.GetWidth(); ++x)
            image.SetPixel(x, y, from.GetPixel(x, y));
    }
    return image;
}

// What Qt's own JPEG writer makes of the picture, the texts as one comment of "Key: text" lines.
QByteArray QtJpeg(const CImage& image, int quality, const ImageTexts& texts)
{
    QImage picture = image.ToQImage();
    if (!texts.empty()) {
        QString text = texts.front().text;
        for (std::size_t i = 1; i < texts.size(); ++i)
            text += QLatin1Char('\n') + texts[i].key + QStringLiteral(": ") + texts[i].text;
        picture.setText(texts.front().key, text);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(picture));
    return bytes;
}

}  // namespace

// JPEG files are encoded straight from the rows as stored; they must stay the files Qt's writer
// makes, whatever the row order, depth and quality.
TEST(ImageSave, JpegFilesAreQtsByteForByte)
{
    const CImage bottomUp = MakePicture(Kind::Rgb24);
    const CImage topDown = Restored(bottomUp, -kHeight, 24, 0);
    const CImage withAlpha = MakePicture(Kind::Argb32);
    const CImage unusedByte = Restored(bottomUp, kHeight, 32, 0);
    const ImageTexts texts = VideoGrabTexts(QStringLiteral("/videos/Été.mp4"), 1234, QStringLiteral("0:49.36"));
    struct Case {
        const CImage& image;
        int quality;
        bool withTexts;
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grab.jpg"));
    for (const Case& c : {Case{bottomUp, 90, true}, Case{topDown, 1, false}, Case{withAlpha, 100, true},
                          Case{unusedByte, 75, false}}) {
        const ImageTexts written = c.withTexts ? texts : ImageTexts{};
        ASSERT_TRUE(c.image.Save(path, ImageFormatJPEG, {ImageEncoding{c.quality, 6}, written}).ok());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QtJpeg(c.image, c.quality, written))
            << "depth " << c.image.GetBPP() << ", pitch " << c.image.GetPitch() << ", quality " << c.quality;
    }
}

TEST(ImageSave, ARefusedJpegWriteFailsWithTheDevicesReason)
{
    class FullDisk : public QIODevice {
    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char*, qint64) override
        {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
    } disk;
    disk.open(QIODevice::WriteOnly);
    CImage image = MakePicture(Kind::Rgb24);
    const JpegRows rows{image.GetBits(), image.GetPitch(), image.GetWidth(), image.GetHeight(), 3};
    const ImageStatus status = WriteJpeg(rows, 90, QByteArrayLiteral("Source: x"), 3780, disk);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.error, QStringLiteral("No space left on device"));
}
