#include "cfileinfo.h"
#include "picture.h"
#include "testvideos.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

class FileInfo : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!FfmpegAvailable())
            GTEST_SKIP() << "the ffmpeg tool makes the test videos (scripts/install-deps)";
    }
    QString Video(const char* name, int frames, int width, int height, QStringList encoder = {})
    {
        if (encoder.isEmpty())
            encoder = QStringList{QStringLiteral("-c:v"), QStringLiteral("mpeg2video"), QStringLiteral("-bf"),
                                  QStringLiteral("2"), QStringLiteral("-g"), QStringLiteral("12")};
        return MakeTestVideo(m_dir.path(), TestVideo{name, frames, encoder, {}, width, height});
    }
    QString Write(const char* name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QLatin1String(name));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }
    QTemporaryDir m_dir;
};

bool IsBlack(const std::uint8_t* pixel)
{
    return pixel[0] < 16 && pixel[1] < 16 && pixel[2] < 16;
}

}  // namespace

TEST_F(FileInfo, ThumbnailBlockKeepsTheAspectInsideEightyBySixty)
{
    struct Case {
        const char* name;
        int width, height;
        int barRows;  // black rows above (and below) the picture
    };
    for (const Case& c : {Case{"wide.mpg", 256, 144, 8}, Case{"four_three.mpg", 192, 144, 0}}) {
        CFileInfo info;
        ASSERT_TRUE(info.SetFileName(Video(c.name, 30, c.width, c.height)));
        std::unique_ptr<std::uint8_t[]> block;
        long width = 80, height = 60;
        ASSERT_TRUE(info.GetBitmap(0.5, block, width, height));
        EXPECT_EQ(qFromLittleEndian<std::int32_t>(block.get()), 40);
        EXPECT_EQ(qFromLittleEndian<std::int32_t>(block.get() + 4), 80);
        EXPECT_EQ(qFromLittleEndian<std::int32_t>(block.get() + 8), 60);
        EXPECT_EQ(qFromLittleEndian<std::uint16_t>(block.get() + 12), 1);
        EXPECT_EQ(qFromLittleEndian<std::uint16_t>(block.get() + 14), 24);
        EXPECT_EQ(qFromLittleEndian<std::uint32_t>(block.get() + 20), 14400u) << "40 + 14400 = 14440 bytes";
        // Rows are bottom-up: the last stored row is the top of the picture. Frame 12 has stripe 2
        // and 3 white; sample the white stripe 2 (x = 2.5 / 12 of the width).
        const std::uint8_t* pixels = block.get() + 40;
        auto pixel = [&](int x, int yFromTop) { return pixels + (59 - yFromTop) * 240 + x * 3; };
        const int stripe = int(2.5 * 80 / 12);
        if (c.barRows > 0) {
            EXPECT_TRUE(IsBlack(pixel(stripe, c.barRows - 2))) << c.name << ": bar above";
            EXPECT_TRUE(IsBlack(pixel(stripe, 59 - (c.barRows - 2)))) << c.name << ": bar below";
        }
        EXPECT_FALSE(IsBlack(pixel(stripe, c.barRows + 2))) << c.name << ": picture at the top of its area";
        EXPECT_FALSE(IsBlack(pixel(stripe, 30))) << c.name;
    }
}

TEST_F(FileInfo, BadInputFailsWithAReason)
{
    const QString good = Video("good.mpg", 60, 192, 144);
    QFile goodFile(good);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray bytes = goodFile.readAll();

    QByteArray noise(20000, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 2654435761u) >> 13);
    const QByteArray y4m("YUV4MPEG2 W100000 H100000 F25:1 Ip A1:1 C420jpeg\nFRAME\n");
    std::vector<std::pair<const char*, QByteArray>> bad = {
        {"empty.mpg", QByteArray()}, {"noise.avi", noise}, {"absurd.y4m", y4m}};

    CFileInfo info;
    EXPECT_TRUE(info.GetFileName().isEmpty());
    for (const auto& [name, content] : bad) {
        EXPECT_FALSE(info.SetFileName(Write(name, content))) << name;
        EXPECT_FALSE(info.GetLastError().isEmpty()) << name;
        EXPECT_TRUE(info.GetFileName().isEmpty()) << name;
    }

    // Audio only, and a still image.
    for (const QStringList& make : {QStringList{"-f", "lavfi", "-i", "sine=d=1", "-y", m_dir.filePath("tone.mka")},
                                    QStringList{"-f", "lavfi", "-i", "testsrc=s=64x48", "-frames:v", "1", "-y", m_dir.filePath("still.png")}}) {
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{"-hide_banner", "-loglevel", "error"} + make);
        ASSERT_TRUE(ffmpeg.waitForFinished(60000));
        EXPECT_FALSE(info.SetFileName(make.last())) << make.last().toStdString();
        EXPECT_FALSE(info.GetLastError().isEmpty());
    }

    // Cut short: what is there opens (or fails with a reason), and no request crashes.
    for (const int percent : {10, 50, 90}) {
        const QString cut = Write("cut.mpg", bytes.left(bytes.size() * percent / 100));
        CFileInfo partial;
        if (!partial.SetFileName(cut)) {
            EXPECT_FALSE(partial.GetLastError().isEmpty());
            continue;
        }
        EXPECT_LE(partial.GetFrameCount(), 60);
        for (std::int64_t frame : {std::int64_t(0), partial.GetFrameCount() / 2, partial.GetFrameCount() - 1}) {
            if (std::unique_ptr<DibBitmap> picture = partial.GetFrameBitmap(frame, 192, 144)) {
                EXPECT_EQ(ReadFrameNumber(*picture), frame) << percent << "%";
            }
        }
        EXPECT_EQ(partial.GetFrameBitmap(partial.GetFrameCount(), 192, 144), nullptr) << "one past the last";
    }

    // The previous file stays open after a failed open.
    ASSERT_TRUE(info.SetFileName(good));
    EXPECT_FALSE(info.SetFileName(Write("again.mpg", QByteArray("nothing"))));
    EXPECT_EQ(info.GetFileName(), good);
    EXPECT_EQ(info.GetFrameCount(), 60);
}

TEST_F(FileInfo, ReopeningTakesTheIndexFromTheCache)
{
    const QString path = Video("cached.mpg", 40, 192, 144);
    QString error;
    std::unique_ptr<FrameSource> first = FrameSource::Open(path, {}, error);
    ASSERT_TRUE(first) << error.toStdString();
    std::unique_ptr<FrameSource> second = FrameSource::Open(path, {}, error);
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->IndexCameFromDiskCache());
    EXPECT_EQ(second->Index().displayToDecode, first->Index().displayToDecode);

    int calls = 0;
    std::unique_ptr<FrameSource> cancelled =
        FrameSource::Open(path, [&calls](double) { return ++calls < 0; }, error, nullptr, false);
    EXPECT_FALSE(cancelled);
}

TEST_F(FileInfo, SteppingBackwardDecodesEachGroupAboutOnce)
{
    const QString path = Video("steps.mp4", 200, 192, 144,
                               {"-c:v", "libx264", "-bf", "3", "-g", "100", "-sc_threshold", "0", "-preset", "veryfast"});
    QString error;
    std::unique_ptr<FrameSource> source = FrameSource::Open(path, {}, error);
    ASSERT_TRUE(source) << error.toStdString();
    ASSERT_TRUE(source->GetFrame(199));  // a jump to the end of the second group
    const std::int64_t afterJump = source->GetCounters().packetsDecoded;
    for (std::int64_t frame = 198; frame >= 100; --frame)
        ASSERT_TRUE(source->GetFrame(frame)) << frame;
    // 99 backward steps through a group of 100 frames: about one more decode of the group.
    EXPECT_LE(source->GetCounters().packetsDecoded - afterJump, 100 + 40) << "seeks " << source->GetCounters().seeks;
    EXPECT_LE(source->Cache()->Bytes(), source->Cache()->Limit());
}

TEST_F(FileInfo, ACodecWithoutDecoderIsNamed)
{
    const QString avi = Video("unknown.avi", 10, 192, 144, {"-c:v", "mpeg4", "-vtag", "DIVX"});
    QFile file(avi);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    bytes.replace("DIVX", "QQQQ");  // a four-character code that no decoder knows
    CFileInfo info;
    EXPECT_FALSE(info.SetFileName(Write("unknown_codec.avi", bytes)));
    EXPECT_FALSE(info.GetLastError().isEmpty());
}

TEST_F(FileInfo, PicturesAreTheDisplayedOnesWithAspectAndRotation)
{
    // Square pixels stretched twice as wide, and a phone video turned a quarter.
    CFileInfo wide;
    ASSERT_TRUE(wide.SetFileName(Video("sar.mp4", 10, 192, 144,
                                       {"-c:v", "libx264", "-vf", "setsar=2", "-preset", "veryfast"})));
    long width = 0, height = 0;
    ASSERT_TRUE(wide.GetVideoSize(width, height));
    EXPECT_EQ(width, 384);
    EXPECT_EQ(height, 144);

    // The track header's matrix says "turn a quarter clockwise" (the ffmpeg tool of this release
    // cannot write one, so it is set by hand: a, b, u, c, d, v, x, y, w in 16.16 and 2.30).
    QFile plain(Video("plain.mp4", 10, 192, 144, {"-c:v", "libx264", "-preset", "veryfast"}));
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    QByteArray bytes = plain.readAll();
    const qsizetype header = bytes.indexOf("tkhd");
    ASSERT_GT(header, 0);
    ASSERT_EQ(bytes[header + 4], 0) << "a version 0 track header";
    const qint32 matrix[9] = {0, 0x10000, 0, -0x10000, 0, 0, 0, 0, 0x40000000};
    for (int i = 0; i < 9; ++i)
        qToBigEndian(matrix[i], bytes.data() + header + 4 + 40 + 4 * i);
    CFileInfo turned;
    ASSERT_TRUE(turned.SetFileName(Write("rotated.mp4", bytes)));
    ASSERT_TRUE(turned.GetVideoSize(width, height));
    EXPECT_EQ(width, 144);
    EXPECT_EQ(height, 192);
    // Frame 1 has only stripe 0 (the left twelfth) white; turned clockwise it is the top twelfth.
    const std::unique_ptr<DibBitmap> picture = turned.GetFrameBitmap(1, width, height);
    ASSERT_TRUE(picture);
    const auto green = [&](int x, int yFromTop) {
        return picture->pixels[std::size_t((picture->Rows() - 1 - yFromTop) * picture->Stride() + x * 3 + 1)];
    };
    EXPECT_GT(green(72, 8), 200) << "the white stripe is along the top";
    EXPECT_LT(green(72, 100), 60);
    EXPECT_LT(green(8, 100), 60);
}

TEST_F(FileInfo, AFileThatGoesWhileOpenGivesErrorsNotACrash)
{
    const QString path = Video("going.mpg", 60, 192, 144);
    QString error;
    std::unique_ptr<FrameSource> source = FrameSource::Open(path, {}, error, std::make_shared<FrameCache>(1));
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->GetFrame(40));
    ASSERT_TRUE(QFile::rename(path, path + QStringLiteral(".moved")));
    // Frame 0 needs decoding from the very start, which reopens the file by its name.
    (void)source->GetFrame(0, &error);
    (void)source->GetFrame(50, &error);
    SharedFrame again = source->GetFrame(1, &error);
    if (again) {
        const std::unique_ptr<DibBitmap> picture = FrameToBitmap(*again, 192, 144, 0, &error);
        ASSERT_TRUE(picture);
        EXPECT_EQ(ReadFrameNumber(*picture), 1);
    }
}
