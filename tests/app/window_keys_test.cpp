// Where a key goes: to the widget with the focus when it uses the key, to the capture pane for its
// own Space, else to the source's command, whichever pane has the focus.
#include "ccamdlg.h"
#include "ccampane.h"
#include "cchildframe.h"
#include "ceditdlg.h"
#include "ceditpane.h"
#include "ckestivoview.h"
#include "cnodetreeview.h"
#include "csourcedlg.h"
#include "csourcepane.h"
#include "mainframe.h"
#include "testvideos.h"

#include <QScopeGuard>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(WindowKeys, AKeyGoesToTheFocusedWidgetThatUsesItElseToTheSource)
{
    if (!FfmpegAvailable())
        GTEST_SKIP() << "the ffmpeg tool makes the test video";
    const QByteArray channels = qgetenv("KESTIVO_TEST_CHANNELS");
    const auto restore = qScopeGuard([&] { qputenv("KESTIVO_TEST_CHANNELS", channels); });
    qputenv("KESTIVO_TEST_CHANNELS", "Cam A=videotestsrc is-live=true");
    QTemporaryDir dir;
    const QString video = MakeTestVideo(dir.path(), TestVideo{"wk.mpg", 60, {"-c:v", "mpeg2video", "-g", "12"}});
    ASSERT_FALSE(video.isEmpty());

    CMainFrame frame;
    frame.SetQuiet(true);
    frame.OnFileNew();
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    frame.OpenVideo(video, 10);
    CSourceDlg* source = frame.SourcePane()->Dialog();
    ASSERT_EQ(source->CurrentFrame(), 10u);
    ASSERT_FALSE(frame.CamPanes().isEmpty());

    CCamDlg* camera = frame.CamPanes().first()->Dialog();
    QWidget* picture = source->findChild<QWidget*>(QStringLiteral("VideoArea"));
    const struct {
        const char* where;
        QWidget* widget;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::uint32_t frame;
    } cases[] = {
        {"the picture", picture, Qt::Key_Right, Qt::NoModifier, 11},
        {"the grid keeps its arrows", frame.LibraryFrame()->View(), Qt::Key_Right, Qt::NoModifier, 11},
        {"the tree keeps Home", frame.LibraryFrame()->TreeView(), Qt::Key_Home, Qt::NoModifier, 11},
        {"the grid keeps Shift+Right", frame.LibraryFrame()->View(), Qt::Key_Right, Qt::ShiftModifier, 11},
        {"a preview with nothing to scroll", static_cast<QWidget*>(frame.PreviewPane()->Dialog()), Qt::Key_Left, Qt::NoModifier, 10},
        {"the grid", frame.LibraryFrame()->View(), Qt::Key_End, Qt::NoModifier, 10},
        {"the preview", static_cast<QWidget*>(frame.PreviewPane()->Dialog()), Qt::Key_End, Qt::NoModifier, 59},
    };
    for (const auto& step : cases) {
        step.widget->setFocus();
        QTest::keyClick(step.widget, step.key, step.modifiers);
        EXPECT_EQ(source->CurrentFrame(), step.frame) << step.where;
    }

    // At the last frame Next Frame cannot act: the status bar says so.
    QTest::keyClick(picture, Qt::Key_Right);
    EXPECT_TRUE(frame.statusBar()->currentMessage().startsWith(QStringLiteral("Next Frame"))) << frame.statusBar()->currentMessage().toStdString();

    // The capture pane's own Space previews the camera rather than play the video.
    frame.CamPanes().first()->raise();
    camera->setFocus();
    QTest::keyClick(camera, Qt::Key_Space);
    EXPECT_FALSE(camera->IsStopped());
    EXPECT_FALSE(source->IsPlaying());
    // And from the picture, Space plays the video.
    frame.SourcePane()->raise();
    picture->setFocus();
    QTest::keyClick(picture, Qt::Key_Home);
    QTest::keyClick(picture, Qt::Key_Space);
    EXPECT_TRUE(source->IsPlaying());
    source->Pause();
}
