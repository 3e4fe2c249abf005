// Files made by an independent writer (ImageMagick), and files cut short, loaded at their depth.
#include "cimage.h"
#include "magick.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ImageLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!MagickAvailable())
            GTEST_SKIP() << "ImageMagick's convert is needed (scripts/install-deps)";
    }

    // Makes a file with ImageMagick from a generated picture, returns its path.
    QString Make(const QString& name, const QStringList& picture, const QStringList& options = {})
    {
        const QString path = m_dir.filePath(name.section(QLatin1Char(':'), -1));
        EXPECT_TRUE(MagickConvert(picture + options + QStringList{name.contains(QLatin1Char(':')) ? name.section(QLatin1Char(':'), 0, 0) + QLatin1Char(':') + path : path}))
            << name.toStdString();
        return path;
    }

    QTemporaryDir m_dir;
};

const QStringList kGradient = {QStringLiteral("-size"), QStringLiteral("40x30"), QStringLiteral("gradient:red-blue")};
const QStringList kCheckerboard = {QStringLiteral("-size"), QStringLiteral("40x30"), QStringLiteral("pattern:checkerboard")};

struct DepthCase {
    const char* name;  // "PREFIX:file" or "file"
    QStringList options;
    bool fromCheckerboard;
    int bpp;
    bool alpha;
};

}  // namespace

TEST_F(ImageLoad, KeepsTheDepthOfEachKindOfFile)
{
    const DepthCase cases[] = {
        {"BMP3:one.bmp", {"-type", "bilevel"}, true, 1, false},
        {"BMP3:four.bmp", {"-colors", "16", "-type", "palette"}, false, 4, false},
        {"BMP3:eight.bmp", {"-colors", "200", "-type", "palette"}, false, 8, false},
        {"GIF:eight.gif", {}, false, 8, false},
        {"BMP3:sixteen.bmp", {"-define", "bmp:subtype=RGB555"}, false, 16, false},
        {"BMP3:true.bmp", {"-type", "truecolor"}, false, 24, false},
        {"BMP2:fourcore.bmp", {"-colors", "16", "-type", "palette"}, false, 4, false},
        {"BMP2:truecore.bmp", {"-type", "truecolor"}, false, 24, false},
        {"photo.jpg", {}, false, 24, false},
        {"PNG24:rgb.png", {}, false, 24, false},
        {"PNG32:rgba.png", {"-alpha", "set", "-channel", "A", "-evaluate", "set", "40%", "+channel"}, false, 32, true},
        {"PNG48:deep.png", {}, false, 32, false},
        {"PNG64:deepalpha.png", {"-alpha", "set"}, false, 32, true},
        {"PNG8:palette.png", {}, false, 8, false},
        {"grey.png", {"-colorspace", "gray", "-depth", "8"}, false, 8, false},
        {"rgb.tif", {"-depth", "8"}, false, 24, false},
        {"deep.tif", {"-depth", "16"}, false, 32, false},
    };
    for (const DepthCase& c : cases) {
        const QString path = Make(QString::fromLatin1(c.name), c.fromCheckerboard ? kCheckerboard : kGradient, c.options);
        CImage image;
        const ImageStatus status = image.Load(path);
        ASSERT_TRUE(status.ok()) << c.name << ": " << status.error.toStdString();
        EXPECT_EQ(image.GetBPP(), c.bpp) << c.name;
        EXPECT_EQ(image.HasAlpha(), c.alpha) << c.name;
        EXPECT_EQ(image.GetWidth(), 40);
        EXPECT_EQ(image.GetHeight(), 30);
        EXPECT_LT(image.GetPitch(), 0) << "loaded images are bottom-up";
    }
}

TEST_F(ImageLoad, PaletteAndAlphaArriveAsInTheFile)
{
    CImage gif;
    ASSERT_TRUE(gif.Load(Make(QStringLiteral("GIF:pal.gif"), kGradient)).ok());
    const QByteArray truth = MagickRgba(m_dir.filePath(QStringLiteral("pal.gif")));
    for (int x = 0; x < 40; x += 13) {
        const ColorRef c = gif.GetPixel(x, 7);
        const qsizetype at = (7 * 40 + x) * 4;
        EXPECT_EQ(int(c & 0xFF), int(quint8(truth[at])));
        EXPECT_EQ(int((c >> 16) & 0xFF), int(quint8(truth[at + 2])));
    }
    for (const std::uint32_t entry : gif.GetColorTable())
        EXPECT_EQ(entry & 0xFF000000u, 0u) << "palette alpha is dropped";

    CImage png;
    ASSERT_TRUE(png.Load(Make(QStringLiteral("PNG32:alpha.png"), kGradient,
                              {"-alpha", "set", "-channel", "A", "-evaluate", "set", "25%", "+channel"})).ok());
    EXPECT_NEAR(png.GetBits()[3], 64, 1);
}

TEST_F(ImageLoad, RowsOfOddWidthsAreCopiedWhole)
{
    for (const int width : {1, 3, 81}) {
        const QString path = Make(QStringLiteral("BMP3:w%1.bmp").arg(width),
                                  {QStringLiteral("-size"), QStringLiteral("%1x5").arg(width), QStringLiteral("gradient:red-blue")},
                                  {"-type", "truecolor"});
        CImage image;
        ASSERT_TRUE(image.Load(path).ok());
        EXPECT_EQ(image.GetPitch(), -int(((24 * width + 31) / 32) * 4));
        const QByteArray truth = MagickRgba(path);
        for (int y = 0; y < 5; ++y) {
            const qsizetype at = (qsizetype(y) * width + width - 1) * 4;  // the last pixel of each row
            const ColorRef c = image.GetPixel(width - 1, y);
            EXPECT_EQ(int(c & 0xFF), int(quint8(truth[at]))) << width << "," << y;
            EXPECT_EQ(int((c >> 16) & 0xFF), int(quint8(truth[at + 2]))) << width << "," << y;
        }
    }
}

TEST_F(ImageLoad, BrokenFilesLeaveTheImageEmpty)
{
    const QString text = m_dir.filePath(QStringLiteral("notes.png"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a picture");
    file.close();

    CImage image;
    ASSERT_TRUE(image.Create(4, 4, 24));
    EXPECT_EQ(image.Load(text).hr, E_FAIL);
    EXPECT_TRUE(image.IsNull());
    EXPECT_EQ(image.Load(m_dir.filePath(QStringLiteral("absent.bmp"))).hr, E_FAIL);

    for (const char* name : {"BMP3:cut.bmp", "cut.png", "cut.jpg", "cut.gif", "cut.tif"}) {
        const QString path = Make(QString::fromLatin1(name), {QStringLiteral("-size"), QStringLiteral("200x150"), QStringLiteral("plasma:")});
        QFile whole(path);
        ASSERT_TRUE(whole.open(QIODevice::ReadWrite));
        whole.resize(whole.size() / 2);
        whole.close();
        const ImageStatus status = image.Load(path);
        EXPECT_EQ(status.hr, E_FAIL) << name;
        EXPECT_FALSE(status.error.isEmpty()) << name;
        EXPECT_TRUE(image.IsNull()) << name;
    }
}

TEST_F(ImageLoad, TheFileCanGoOnceLoaded)
{
    const QString path = Make(QStringLiteral("gone.png"), kGradient);
    CImage image;
    ASSERT_TRUE(image.Load(path).ok());
    const ColorRef before = image.GetPixel(5, 5);
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(image.GetPixel(5, 5), before);
}

TEST(ImageLoadHostile, GifClaimingAHugePictureIsRefusedWithoutAllocatingIt)
{
    // Found by fuzzing: a 7 x 49 screen whose picture claims 65535 rows more than the data holds.
    const QByteArray gif = QByteArray::fromBase64(
        "R0lGODlhBwAxAPUAAAAAWh4AWjwAWloAWngAWpYAWrQAWgAyWh4yWjwyWloyWngyWpYyWrQyWgBkWh5kWjxkWlpkWnhk"
        "WpZkWrQAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
        "AAAAAAAAAAAAAAAAAAAALAAAAAAHAAUAAAYhQEAAACwAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAACw"
        "AAAAAB///YEAAE6ReQDAgFAwHREKxYDQcD0hEMqFULBdMRrPhdDwfUEgUBAA7");
    CImage image;
    const ImageStatus status = image.LoadFromData(gif);
    // Either refused, or (as the file also holds a small first picture) that picture alone.
    if (status.ok())
        EXPECT_EQ(image.GetWidth(), 7);
    else
        EXPECT_TRUE(image.IsNull());
}
