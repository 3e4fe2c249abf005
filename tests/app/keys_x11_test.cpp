// The source's keys from anywhere in the main window and the workspace kept between sessions, in
// the real program on a real X server (run under xvfb-run), by key presses alone.
#include "bytes.h"
#include "program.h"
#include "settingsfile.h"
#include "testvideos.h"
#include "xdotool.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr int kWaitMs = 20000;

class KeysAndWorkspace : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs an X server (run under xvfb-run)";
        if (!FfmpegAvailable())
            GTEST_SKIP() << "the ffmpeg tool makes the test video";
        m_video = MakeTestVideo(m_home.path(), TestVideo{"keys.mpg", 60, {"-c:v", "mpeg2video", "-g", "12"}});
        ASSERT_FALSE(m_video.isEmpty());
        const QString config = m_home.path() + QStringLiteral("/config");
        ASSERT_TRUE(QDir().mkpath(config + QStringLiteral("/QtProject")));
        ASSERT_TRUE(WriteAllBytes(config + QStringLiteral("/QtProject/qtlogging.ini"),
                                  QByteArrayLiteral("[Rules]\nkestivo.source.debug=true\n")));
        // A tree width of an earlier session, which this one must keep.
        ASSERT_TRUE(QDir().mkpath(config + QStringLiteral("/Orvel")));
        ASSERT_TRUE(WriteAllBytes(config + QStringLiteral("/Orvel/Kestivo.conf"), QByteArrayLiteral("[Workspace]\nTreeWidth=260\n")));
        qputenv("KESTIVO_TEST_CHANNELS", "");
    }

    ::testing::AssertionResult WaitFor(Program& program, const QString& text)
    {
        if (program.WaitForLog(text, kWaitMs))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "no \"" << text.toStdString() << "\" in\n" << program.Log().toStdString();
    }

    QTemporaryDir m_home;
    QString m_video;
};

}  // namespace

TEST_F(KeysAndWorkspace, SourceKeysActFromThePictureAndTheWorkspaceComesBack)
{
    const QString at = QStringLiteral("at frame %1 of \"") + m_video + QLatin1Char('"');
    {
        Program program(m_home.path(), QStringLiteral("xcb"));
        program.Start({m_video});
        ASSERT_TRUE(program.WaitUntilReady()) << program.Log().toStdString();
        ASSERT_FALSE(FocusWindow(QStringLiteral("^Kestivo$"), program.Pid()).isEmpty());
        ASSERT_TRUE(WaitFor(program, at.arg(0)));

        // No click: the opened video's picture has the keys.
        for (const auto& [key, frame] : {std::pair{"Right", 1}, {"Right", 2}, {"shift+Right", 27}, {"Left", 26}}) {
            Keys({QString::fromLatin1(key)});
            ASSERT_TRUE(WaitFor(program, at.arg(frame))) << key;
        }
        Keys({QStringLiteral("g")});
        const QString grab = QDir(m_home.path()).filePath(QStringLiteral("ImageDir/keys_26.bmp"));
        ASSERT_TRUE(WaitFor(program, QStringLiteral("added \"%1\"").arg(grab)));
        EXPECT_EQ(ReadFrameNumber(QImage(grab)), 26);

        // A new folder's name being typed keeps the letters, Space and Home: no grab, no step.
        Keys({QStringLiteral("shift+F6")});
        ASSERT_TRUE(WaitFor(program, QStringLiteral("focus to \"LibraryFrame\"")));
        Keys({QStringLiteral("ctrl+shift+n")});
        ASSERT_TRUE(WaitFor(program, QStringLiteral("new folder under")));
        const qsizetype before = program.Log().size();
        Keys({QStringLiteral("g"), QStringLiteral("space"), QStringLiteral("g"), QStringLiteral("Home"), QStringLiteral("x"),
              QStringLiteral("Return")});

        program.Signal(SIGTERM);
        ASSERT_EQ(program.WaitForExit(), 0) << program.Log().toStdString();
        const QString typing = program.Log().mid(before);
        EXPECT_FALSE(typing.contains(QStringLiteral("at frame"))) << typing.toStdString();
        EXPECT_FALSE(typing.contains(QStringLiteral("added \""))) << typing.toStdString();
        EXPECT_TRUE(typing.contains(QStringLiteral("folder \"xg g\" tree width 260"))) << typing.toStdString();
    }

    // Without a video named, the last one reopens at its frame with the keys, in the folder left.
    Program again(m_home.path(), QStringLiteral("xcb"));
    again.Start({});
    ASSERT_TRUE(again.WaitUntilReady()) << again.Log().toStdString();
    ASSERT_FALSE(FocusWindow(QStringLiteral("^Kestivo$"), again.Pid()).isEmpty());
    ASSERT_TRUE(WaitFor(again, QStringLiteral("opened \"%1\" at frame 26").arg(m_video)));
    EXPECT_TRUE(again.Log().contains(QStringLiteral("showing folder \"xg g\""))) << again.Log().toStdString();
    Keys({QStringLiteral("Left")});
    ASSERT_TRUE(WaitFor(again, at.arg(25)));
    again.Signal(SIGTERM);
    ASSERT_EQ(again.WaitForExit(), 0) << again.Log().toStdString();
}
