// kestivo --grab as a script runs it: no display, exact frames of every kind of video in files
// named as grabs, failures with their reason and status, and nothing of the program's own touched.
#include "bytes.h"
#include "cimage.h"
#include "framesource.h"
#include "picture.h"
#include "program.h"
#include "settingsfile.h"
#include "testvideos.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class GrabCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!FfmpegAvailable())
            GTEST_SKIP() << "the ffmpeg tool makes the test videos";
    }

    QString Home() const { return m_home.path(); }
    QString Folder(const QString& name) const
    {
        const QString folder = Home() + QLatin1Char('/') + name;
        QDir().mkpath(folder);
        return folder;
    }
    static const TestVideo& Video(const char* name)
    {
        for (const TestVideo& video : TestVideos()) {
            if (QLatin1String(video.name) == QLatin1String(name))
                return video;
        }
        throw std::logic_error("no such test video");
    }

    // Runs kestivo with arguments as a script would, where no display is; returns the exit status.
    int Run(Program& program, const QStringList& arguments, const QString& workingFolder = {})
    {
        for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            program.SetEnvironment(QString::fromLatin1(display), {});
        program.Start(arguments, workingFolder);
        return program.WaitForExit();
    }

    QTemporaryDir m_home;
};

// The frame as mediq decodes it for a grab, top row first.
QImage DecodedFrame(const QString& video, std::uint32_t frame)
{
    QString error;
    const std::unique_ptr<FrameSource> source = FrameSource::Open(video, {}, error, nullptr, false);
    const SharedFrame picture = source ? source->GetFrame(frame, &error) : nullptr;
    if (!picture)
        return {};
    int width = 0, height = 0;
    source->Index().DisplaySize(width, height);
    CImage image;
    image.Attach(FrameToBitmap(*picture, width, height, source->Index().rotation, &error));
    return image.ToQImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

TEST_F(GrabCommand, WritesTheExactFramesOfEveryKindOfVideo)
{
    // MPEG-2 in a program stream, MPEG-4 Visual with B-frames, H.264 in a transport stream with an offset.
    for (const char* name : {"mpeg2.mpg", "divx.avi", "h264_offset.ts"}) {
        const TestVideo& kind = Video(name);
        const QString video = MakeTestVideo(Home(), kind);
        ASSERT_FALSE(video.isEmpty()) << name;
        const std::uint32_t last = std::uint32_t(kind.frames - 1), middle = std::uint32_t(kind.frames / 2 + 1);
        const QString out = Folder(QStringLiteral("out-") + QLatin1String(name));
        Program program(Home());
        // Out of order and one twice: the paths come in the order asked, the repeat under a free name.
        ASSERT_EQ(Run(program, {QStringLiteral("--grab"), QStringLiteral("%1,0,%2,%2").arg(last).arg(middle),
                                QStringLiteral("--out"), out, video}),
                  0)
            << name << "\n" << program.Log().toStdString();

        const QString base = out + QLatin1Char('/') + QFileInfo(video).completeBaseName();
        // No settings file: the type of the program's default settings.
        const QStringList expected{QStringLiteral("%1_%2.bmp").arg(base).arg(last), base + QStringLiteral("_0.bmp"),
                                   QStringLiteral("%1_%2.bmp").arg(base).arg(middle),
                                   QStringLiteral("%1_%2 (2).bmp").arg(base).arg(middle)};
        ASSERT_EQ(program.Output().split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected) << name;
        const std::uint32_t frames[] = {last, 0, middle, middle};
        for (int i = 0; i < 4; ++i) {
            const QImage written = QImage(expected[i]).convertToFormat(QImage::Format_RGB32);
            EXPECT_EQ(ReadFrameNumber(written), int(frames[i])) << expected[i].toStdString();
            EXPECT_EQ(written, DecodedFrame(video, frames[i])) << expected[i].toStdString();
        }
    }
    for (const char* programFile : {"Options.dat", "ImageDir", "Kestivo.lock"})
        EXPECT_FALSE(QFileInfo::exists(Home() + QLatin1Char('/') + QLatin1String(programFile))) << programFile;
}

TEST_F(GrabCommand, FailuresEndWithTheReasonAndWriteNothing)
{
    const QString video = MakeTestVideo(Home(), Video("mpeg2.mpg"));  // 120 frames
    ASSERT_FALSE(video.isEmpty());
    const QString notAVideo = Home() + QStringLiteral("/notes.mpg");
    ASSERT_TRUE(WriteAllBytes(notAVideo, QByteArray(5000, 'n')));
    const QString out = Folder(QStringLiteral("out"));
    const QString aFile = Home() + QStringLiteral("/a-file");
    ASSERT_TRUE(WriteAllBytes(aFile, "x"));
    const QString grab = QStringLiteral("--grab"), outOption = QStringLiteral("--out");
    const struct {
        QStringList arguments;
        int exitCode;
        QString reason;
    } cases[] = {
        {{grab, QStringLiteral("5,120"), outOption, out, video}, 1, QStringLiteral("there is no frame 120")},
        {{grab, QStringLiteral("5"), outOption, out, notAVideo}, 1, QStringLiteral("cannot open \"") + notAVideo},
        {{grab, QStringLiteral("5"), outOption, Home() + QStringLiteral("/missing"), video}, 1, QStringLiteral("No such file or directory")},
        {{grab, QStringLiteral("5"), outOption, aFile, video}, 1, QStringLiteral("Not a directory")},
        {{grab, QStringLiteral("5,,6"), outOption, out, video}, 2, QStringLiteral("not \"\"")},
        {{grab, QStringLiteral("5"), QStringLiteral("--type"), QStringLiteral("webp"), video}, 2, QStringLiteral("not \"webp\"")},
        {{grab, QStringLiteral("5")}, 2, QStringLiteral("--grab needs a video")},
        {{grab, QStringLiteral("5"), video, video}, 2, QStringLiteral("one too many")},
        {{grab, QStringLiteral("5"), QStringLiteral("--frame"), QStringLiteral("5"), video}, 2, QStringLiteral("do not go together")},
        {{QStringLiteral("--out"), out, video}, 2, QStringLiteral("go with --grab")},
    };
    for (const auto& c : cases) {
        const std::string arguments = c.arguments.join(QLatin1Char(' ')).toStdString();
        Program program(Home());
        EXPECT_EQ(Run(program, c.arguments, out), c.exitCode) << arguments << "\n" << program.Log().toStdString();
        EXPECT_TRUE(program.Log().contains(c.reason)) << arguments << "\n" << program.Log().toStdString();
        EXPECT_TRUE(program.Output().isEmpty()) << arguments;
        EXPECT_TRUE(QDir(out).isEmpty()) << arguments;
    }
}

TEST_F(GrabCommand, TakesTheSettingsTypeAndLeavesTheRunningProgramAlone)
{
    const QString video = MakeTestVideo(Home(), Video("mpeg2.mpg"));
    ASSERT_FALSE(video.isEmpty());
    const QString settingsPath = GetSettingsFilePath(Home() + QLatin1Char('/'));
    CSetObj settings(CSetObj::InMemoryTag{});
    settings.m_imageType = 4;  // TIFF
    ASSERT_TRUE(WriteAllBytes(settingsPath, WriteSettings(settings)));
    const QByteArray stored = ReadAllBytes(settingsPath);
    const QDateTime modified = QFileInfo(settingsPath).lastModified();
    Program running(Home());
    running.Start();
    ASSERT_TRUE(running.WaitUntilReady()) << running.Log().toStdString();

    // Without --out: the folder it runs in.
    const QString out = Folder(QStringLiteral("here"));
    Program grab(Home());
    ASSERT_EQ(Run(grab, {QStringLiteral("--grab"), QStringLiteral("7"), video}, out), 0) << grab.Log().toStdString();
    EXPECT_EQ(grab.Output(), out + QStringLiteral("/mpeg2_7.tif\n"));
    EXPECT_EQ(ReadFrameNumber(QImage(out + QStringLiteral("/mpeg2_7.tif"))), 7);
    EXPECT_EQ(ReadAllBytes(settingsPath), stored);
    EXPECT_EQ(QFileInfo(settingsPath).lastModified(), modified);
    EXPECT_FALSE(running.Log().contains(QStringLiteral("activation requested"))) << running.Log().toStdString();
    running.Signal(SIGTERM);
    EXPECT_EQ(running.WaitForExit(), 0);
}
