#include "ccamdlg.h"
#include "ccampane.h"
#include "ccapbase.h"
#include "cchildframe.h"
#include "ceditdlg.h"
#include "ceditpane.h"
#include "ckestivoview.h"
#include "cnodetreeview.h"
#include "framesource.h"
#include "markslider.h"
#include "clipobj.h"
#include "csourcedlg.h"
#include "csourcepane.h"
#include "testvideos.h"
#include "mainframe.h"
#include "setobj.h"
#include "resource.h"

#include <QAction>
#include <QSettings>
#include <QDir>
#include <numeric>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace kestivo;

TEST(MainFrame, TheFileMenuFollowsWhetherTheLibraryWindowIsOpen)
{
    CMainFrame frame;
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Kestivo"));
    EXPECT_EQ(frame.centralWidget(), frame.MdiArea());
    EXPECT_TRUE(frame.MdiArea()->subWindowList().isEmpty());
    auto visibleMenus = [&] {
        QStringList texts;
        for (const QAction* menu : frame.menuBar()->actions()) {
            if (menu->isVisible())
                texts.append(menu->menu()->objectName() + QLatin1Char(':') + menu->text());
        }
        return texts;
    };
    EXPECT_EQ(visibleMenus(), QStringList({QStringLiteral("FileMenuNoLibrary:&File"), QStringLiteral("EditMenu:&Edit"), QStringLiteral("ViewMenu:&View"), QStringLiteral("CaptureMenu:&Capture"), QStringLiteral(":&Help")}));
    EXPECT_FALSE(frame.Action(ids::ID_FILE_CLOSE)->isEnabled());
    EXPECT_EQ(frame.Action(ids::ID_FILE_NEW)->shortcut(), QKeySequence(QKeySequence::New));
    EXPECT_EQ(frame.Action(ids::ID_APP_EXIT)->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(frame.Action(ids::ID_APP_ABOUT)->text(), QStringLiteral("&About Kestivo..."));

    frame.Action(ids::ID_FILE_NEW)->trigger();
    ASSERT_NE(frame.LibraryFrame(), nullptr);
    EXPECT_EQ(visibleMenus(), QStringList({QStringLiteral("FileMenuLibrary:&File"), QStringLiteral("EditMenu:&Edit"), QStringLiteral("ViewMenu:&View"), QStringLiteral("CaptureMenu:&Capture"), QStringLiteral(":&Help")}));
    QMenu* libraryMenu = frame.findChild<QMenu*>(QStringLiteral("FileMenuLibrary"));
    EXPECT_EQ(libraryMenu->actions().value(0), frame.Action(ids::ID_OPTIONS));
    EXPECT_EQ(libraryMenu->actions().value(2), frame.Action(ids::ID_APP_EXIT));

    CChildFrame* library = frame.LibraryFrame();
    frame.OnFileNew();
    EXPECT_EQ(frame.LibraryFrame(), library) << "there is one library, so one window";
    EXPECT_EQ(frame.MdiArea()->subWindowList().size(), 1);

    frame.OnFileClose();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.LibraryFrame() == nullptr; }));
    EXPECT_EQ(visibleMenus().value(0), QStringLiteral("FileMenuNoLibrary:&File"));
}

TEST(MainFrame, ExitClosesTheWindow)
{
    CMainFrame frame;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.Action(ids::ID_APP_EXIT)->trigger();
    EXPECT_FALSE(frame.isVisible());
}

TEST(MainFrame, BringForwardRestoresAndActivates)
{
    CMainFrame frame;
    frame.showMinimized();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return other.isActiveWindow(); }, 5000));

    frame.BringForward();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.isActiveWindow(); }, 5000));
    EXPECT_FALSE(frame.isMinimized());
    EXPECT_TRUE(frame.isVisible());
}

TEST(MainFrame, AGrabWithNoLibraryWindowOpensOneAndLandsSelected)
{
    CMainFrame frame;
    frame.SetQuiet(true);
    const std::size_t before = g_SetObj.m_pRootNode->GetClipList().GetCount();
    auto item = std::make_unique<CClipObj>();
    item->SetPath(QStringLiteral("/grabs/a_1.bmp"));
    CClipObj* raw = item.get();
    frame.OnNewClip(std::move(item));
    ASSERT_NE(frame.LibraryFrame(), nullptr);
    ASSERT_EQ(g_SetObj.m_pRootNode->GetClipList().GetCount(), before + 1);
    EXPECT_EQ(g_SetObj.m_pRootNode->GetClipList().GetAt(before), raw);
    EXPECT_TRUE(raw->IsSelected());
    EXPECT_EQ(frame.LibraryFrame()->View()->Current(), int(before));

    frame.ReportProblem(QStringLiteral("\"/x.avi\" could not be opened"));
    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("\"/x.avi\" could not be opened"));
    g_SetObj.m_pRootNode->GetClipList().DeleteAll();
}

TEST(MainFrame, APreviewGoesToThePreviewAndAVideoItemAlsoToTheSource)
{
    if (!FfmpegAvailable())
        GTEST_SKIP() << "the ffmpeg tool makes the test video";
    QTemporaryDir videos;
    const QString video = MakeTestVideo(videos.path(), TestVideo{"preview.mpg", 30, {"-c:v", "mpeg2video", "-g", "12"}});
    CMainFrame frame;
    frame.SetQuiet(true);
    CClipObj clip;
    clip.SetSource(video);
    clip.SetNumber(17);
    CSourceDlg* source = frame.SourcePane()->Dialog();
    CEditDlg* preview = frame.PreviewPane()->Dialog();
    clip.SetKind(CClipObj::kCaptureDevice);
    frame.OnPreviewClip(&clip);
    EXPECT_TRUE(preview->HasImage()) << "every item reaches the preview";
    EXPECT_FALSE(source->IsOpen()) << "a capture item never reaches the source";

    // The library's item may go while the video is being opened (events are let through then).
    auto doomed = clip.Clone();
    doomed->SetKind(CClipObj::kVideoFile);
    QTimer::singleShot(0, [&doomed] { doomed.reset(); });
    frame.OnPreviewClip(doomed.get());
    EXPECT_EQ(source->FileName(), video);
    EXPECT_EQ(source->CurrentFrame(), 17u);
    EXPECT_TRUE(preview->IsFitToWindow());

    clip.SetKind(CClipObj::kVideoFile);
    clip.SetNumber(4);
    frame.OnPreviewClip(&clip);
    EXPECT_EQ(source->CurrentFrame(), 4u) << "the same file moves to the frame";
}

// With no capture device the frame has no capture pane and no capture toolbar.
TEST(MainFrame, NoDeviceAndNoTestChannelsMeanNoCapturePane)
{
    qunsetenv("KESTIVO_TEST_CHANNELS");
    CMainFrame frame;
    if (frame.CapBase()->GetChanCount() > 0)
        GTEST_SKIP() << "this machine has a capture device";
    EXPECT_TRUE(frame.CamPanes().isEmpty());
    EXPECT_EQ(frame.Action(ids::ID_GRAB_ALL_CHANNELS), nullptr);
    EXPECT_EQ(frame.findChild<QToolBar*>(QStringLiteral("CaptureToolBar")), nullptr);
}

// Network cameras join within the four panes; beyond them Channels... decides, and the choice
// and the cameras outlive the frame.
TEST(MainFrame, NetworkCamerasGetPanesWithinFourAndChannelsChoosesThem)
{
    qputenv("KESTIVO_TEST_CHANNELS", "A=videotestsrc is-live=true;B=videotestsrc is-live=true;C=videotestsrc is-live=true");
    QSettings(QStringLiteral("Orvel"), QStringLiteral("Kestivo")).remove(QStringLiteral("Capture"));
    auto captions = [](const CMainFrame& frame) {
        QStringList titles;
        for (const CCamPane* pane : frame.CamPanes())
            titles.append(pane->windowTitle());
        return titles;
    };
    {
        CMainFrame frame;
        frame.SetQuiet(true);
        EXPECT_FALSE(frame.Action(ids::ID_NET_CAMERA_REMOVE)->isEnabled());
        EXPECT_EQ(frame.AddNetCamera(QStringLiteral("Door"), QStringLiteral("rtsp://u:pw@127.0.0.1:1/door")), 3);
        EXPECT_EQ(frame.AddNetCamera(QStringLiteral("Yard"), QStringLiteral("rtsp://127.0.0.1:1/yard")), 4);
        EXPECT_EQ(frame.AddNetCamera(QStringLiteral("yard"), QStringLiteral("rtsp://127.0.0.1:1/other")), -1);
        EXPECT_EQ(captions(frame), (QStringList{"A", "B", "C", "Door"}));
        EXPECT_TRUE(frame.Action(ids::ID_NET_CAMERA_REMOVE)->isEnabled());
        frame.ShowChannels({0, 4});
        EXPECT_EQ(captions(frame), (QStringList{"A", "Yard"}));
        frame.CamPanes().last()->Dialog()->Preview();
        frame.RemoveNetCamera(4);  // while previewing
        EXPECT_EQ(captions(frame), (QStringList{"A"}));
    }
    CMainFrame frame;
    EXPECT_EQ(captions(frame), (QStringList{"A"}));  // B, C and Door stay set aside
    EXPECT_EQ(frame.CapBase()->GetChanCount(), 4);
    EXPECT_EQ(frame.CapBase()->GetChanName(3), QStringLiteral("Door"));
    frame.ShowChannels({1, 3});
    EXPECT_EQ(captions(frame), (QStringList{"B", "Door"}));
    frame.StopCapture();
    qunsetenv("KESTIVO_TEST_CHANNELS");
    QSettings(QStringLiteral("Orvel"), QStringLiteral("Kestivo")).remove(QStringLiteral("Capture"));  // for later tests
}

TEST(MainFrame, TheSliderMarksGrabbedFramesAndASecondGrabSaysWhereTheFirstIs)
{
    if (!FfmpegAvailable())
        GTEST_SKIP() << "the ffmpeg tool makes the test video";
    QTemporaryDir videos, images;
    const QString video = MakeTestVideo(videos.path(), TestVideo{"marked.mpg", 100, {"-c:v", "mpeg2video", "-g", "12"}});
    g_SetObj.m_imageDir = images.path();
    CMainFrame frame;
    frame.SetQuiet(true);
    frame.OpenVideo(video, 25);
    CSourceDlg* source = frame.SourcePane()->Dialog();
    ASSERT_TRUE(source->GrabFrame());
    source->Slider()->setValue(75);
    ASSERT_TRUE(source->GrabFrame());
    EXPECT_EQ(source->MarkSlider()->GrabbedFrames(), (std::vector<std::uint32_t>{25, 75}));

    source->Slider()->setValue(25);
    ASSERT_TRUE(source->GrabFrame());
    const QString folder = frame.LibraryFrame()->TreeView()->SelectedFolder()->GetName();
    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("Frame 25 is already in \u201c%1\u201d").arg(folder));

    frame.OpenVideo(MakeTestVideo(videos.path(), TestVideo{"other.mpg", 30, {"-c:v", "mpeg2video"}}), 0);
    EXPECT_TRUE(source->MarkSlider()->GrabbedFrames().empty()) << "another video: none of its frames are held";
    frame.OpenVideo(video, 0);
    EXPECT_EQ(source->MarkSlider()->GrabbedFrames(), (std::vector<std::uint32_t>{25, 75}));
    g_SetObj.m_pRootNode->GetClipList().DeleteAll();
}

TEST(MainFrame, ARangeGrabUnderWayAtTheEndPutsWhatItWroteInTheLibrary)
{
    if (!FfmpegAvailable())
        GTEST_SKIP() << "the ffmpeg tool makes the test video";
    QTemporaryDir videos, images;
    const QString video = MakeTestVideo(videos.path(), TestVideo{"ending.mpg", 200, {"-c:v", "mpeg2video", "-g", "12"}});
    g_SetObj.m_imageDir = images.path();
    const std::size_t before = g_SetObj.m_pRootNode->GetClipList().GetCount();
    {
        CMainFrame frame;
        frame.SetQuiet(true);
        frame.OpenVideo(video, 0);
        std::vector<std::int64_t> frames(200);
        std::iota(frames.begin(), frames.end(), 0);
        FrameSource::SetDecodeDelayForTesting(std::chrono::milliseconds(5));  // still going at the end
        ASSERT_NE(frame.SourcePane()->Dialog()->StartRangeGrab(frames), nullptr);
        QTest::qWait(200);
        frame.StopCapture();
        FrameSource::SetDecodeDelayForTesting(std::chrono::microseconds(0));
    }
    const qsizetype files = QDir(images.path()).entryList(QDir::Files).size();
    EXPECT_GT(files, 0);
    EXPECT_LT(files, 200);
    EXPECT_EQ(qsizetype(g_SetObj.m_pRootNode->GetClipList().GetCount() - before), files);
    g_SetObj.m_pRootNode->GetClipList().DeleteAll();
}
