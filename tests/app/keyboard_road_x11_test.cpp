// The whole road of a grab driven by key presses alone, in the real program on a real X server
// (run under xvfb-run): a video opened through the file dialog, stepped to a frame, grabbed, the
// grab previewed from the library and zoomed. The program's debug log tells where each key led.
#include "bytes.h"
#include "program.h"
#include "settingsfile.h"
#include "testvideos.h"
#include "xdotool.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

constexpr int kWaitMs = 20000;

// The zoom of each "showing <path> ... at zoom <z>" line of the preview, in order.
QList<double> PreviewZooms(const QString& log, const QString& path)
{
    QList<double> zooms;
    const QRegularExpression line(QStringLiteral("showing \"%1\" (?:fitted )?at zoom ([0-9.e+-]+)")
                                      .arg(QRegularExpression::escape(path)));
    for (auto match = line.globalMatch(log); match.hasNext();)
        zooms.append(match.next().captured(1).toDouble());
    return zooms;
}

class KeyboardRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs an X server (run under xvfb-run)";
        if (!FfmpegAvailable())
            GTEST_SKIP() << "the ffmpeg tool makes the test video";
        m_video = MakeTestVideo(m_home.path(), TestVideo{"road.mpg", 60, {"-c:v", "mpeg2video", "-g", "12"}});
        ASSERT_FALSE(m_video.isEmpty());
        // The panes' own categories, beside the app's and the library's that the program's runner enables.
        const QString rules = m_home.path() + QStringLiteral("/config/QtProject");
        ASSERT_TRUE(QDir().mkpath(rules));
        ASSERT_TRUE(WriteAllBytes(rules + QStringLiteral("/qtlogging.ini"),
                                  QByteArrayLiteral("[Rules]\nkestivo.source.debug=true\nkestivo.preview.debug=true\n")));
        qputenv("KESTIVO_TEST_CHANNELS", "");  // no capture panes: F6 goes library, source, preview
    }

    QString SettingsPath() const { return GetSettingsFilePath(m_home.path() + QLatin1Char('/')); }

    QTemporaryDir m_home;
    QString m_video;
};

}  // namespace

TEST_F(KeyboardRoad, OpenStepGrabPreviewAndZoomByKeys)
{
    Program program(m_home.path(), QStringLiteral("xcb"));
    program.Start();
    ASSERT_TRUE(program.WaitUntilReady()) << program.Log().toStdString();
    const QString window = FocusWindow(QStringLiteral("^Kestivo$"), program.Pid());
    ASSERT_FALSE(window.isEmpty());
    auto waitFor = [&](const QString& text) {
        return program.WaitForLog(text, kWaitMs) ? ::testing::AssertionSuccess()
                                                 : ::testing::AssertionFailure() << "no \"" << text.toStdString()
                                                                                 << "\" in\n" << program.Log().toStdString();
    };

    // The library window has the focus at start; the source pane is the next pane.
    Keys({QStringLiteral("F6")});
    ASSERT_TRUE(waitFor(QStringLiteral("focus to \"SourcePane\"")));
    Keys({QStringLiteral("ctrl+o")});
    ASSERT_FALSE(FocusWindow(QStringLiteral("^Open Video Files$")).isEmpty());
    ASSERT_TRUE(Xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), m_video}));
    Keys({QStringLiteral("Return")});
    const QString at = QStringLiteral("at frame %1 of \"") + m_video + QLatin1Char('"');
    ASSERT_TRUE(waitFor(at.arg(0)));
    // A window manager gives the focus back to the main window when the dialog goes; Xvfb has none.
    ASSERT_TRUE(Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}));

    const struct {
        const char* key;
        int frame;
    } steps[] = {{"Right", 1}, {"Right", 2}, {"shift+Right", 27}, {"Left", 26}, {"End", 59},
                 {"Home", 0},  {"shift+Right", 25}, {"Right", 26}, {"shift+Left", 1}, {"shift+Right", 26},
                 {"Right", 27}};
    for (const auto& step : steps) {
        Keys({QString::fromLatin1(step.key)});
        ASSERT_TRUE(waitFor(at.arg(step.frame))) << step.key;
    }

    Keys({QStringLiteral("g")});
    const QString grab = QDir(m_home.path()).filePath(QStringLiteral("ImageDir/road_27.bmp"));
    ASSERT_TRUE(waitFor(QStringLiteral("added \"%1\" to \"Image Directory\" as item 0;").arg(grab)));
    Keys({QStringLiteral("shift+F6")});
    ASSERT_TRUE(waitFor(QStringLiteral("focus to \"LibraryFrame\"")));
    Keys({QStringLiteral("Return")});
    ASSERT_TRUE(waitFor(QStringLiteral("previewed \"%1\" fitted at zoom").arg(grab)));

    Keys({QStringLiteral("shift+F6")});
    ASSERT_TRUE(waitFor(QStringLiteral("focus to \"PreviewPane\"")));
    const QList<double> fitted = PreviewZooms(program.Log(), grab);
    ASSERT_FALSE(fitted.isEmpty());
    const struct {
        const char* key;
        double zoom;  // times the fitted zoom, or 0 for pixel for pixel
    } zooms[] = {{"plus", 1.1}, {"ctrl+plus", 1.21}, {"minus", 1.1}, {"ctrl+minus", 1.0}, {"1", 0}};
    // Each key's new zoom: the preview logs one line per change of its state.
    auto zoomsAfter = [&](qsizetype count) {
        QList<double> seen = PreviewZooms(program.Log(), grab);
        QElapsedTimer clock;
        clock.start();
        while (seen.size() < count && clock.elapsed() < kWaitMs) {
            program.WaitForLog(QStringLiteral("\n\n"), 100);  // reads the log for 100 ms
            seen = PreviewZooms(program.Log(), grab);
        }
        return seen;
    };
    for (const auto& step : zooms) {
        const qsizetype before = PreviewZooms(program.Log(), grab).size();
        Keys({QString::fromLatin1(step.key)});
        const QList<double> seen = zoomsAfter(before + 1);
        ASSERT_GT(seen.size(), before) << step.key << "\n" << program.Log().toStdString();
        EXPECT_NEAR(seen.last(), step.zoom > 0 ? fitted.last() * step.zoom : 1.0, 1e-3) << step.key;
    }

    // A button reached by Tab: the source's last command just before its dialog, pressed by Space
    // (which would play the video without the button's focus).
    Keys({QStringLiteral("shift+F6")});
    ASSERT_TRUE(waitFor(QStringLiteral("focus to \"SourcePane\"")));
    Keys({QStringLiteral("shift+Tab")});
    Keys({QStringLiteral("space")});
    ASSERT_TRUE(waitFor(QStringLiteral("road_27 (2).bmp\" to \"Image Directory\" as item 1;")));

    // The file holds the frame stepped to, and the library keeps it after an orderly end.
    const QImage picture(grab);
    ASSERT_FALSE(picture.isNull()) << grab.toStdString();
    EXPECT_EQ(ReadFrameNumber(picture), 27);
    program.Signal(SIGTERM);
    ASSERT_EQ(program.WaitForExit(), 0) << program.Log().toStdString();
    const std::unique_ptr<CSetObj> saved = ReadSettings(ReadAllBytes(SettingsPath()));
    ASSERT_TRUE(saved);
    ASSERT_EQ(saved->m_pRootNode->GetClipList().GetCount(), 2u);
    EXPECT_EQ(saved->m_pRootNode->GetClipList().GetAt(0)->GetNumber(), 27);
    EXPECT_EQ(saved->m_pRootNode->GetClipList().GetAt(0)->GetSource(), m_video);
}
