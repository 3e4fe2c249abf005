// The capture side end to end in the main frame, on a real X server: two test channels as tabs
// after the source, a grab into the folder selected in the library, Stop.
#include "captesthelpers.h"
#include "ccamdlg.h"
#include "ccampane.h"
#include "cchildframe.h"
#include "grabeverydlg.h"
#include "ckestivoview.h"
#include "mainframe.h"
#include "nodeobj.h"
#include "resource.h"
#include "setobj.h"
#include "timedgrab.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QTabBar>
#include <QTest>

using namespace kestivo::ids;

namespace {

QStringList TabsWith(const CMainFrame& frame, const QString& text, QString* current)
{
    for (const QTabBar* bar : frame.findChildren<QTabBar*>()) {
        QStringList texts;
        for (int i = 0; i < bar->count(); ++i)
            texts.append(bar->tabText(i));
        if (texts.contains(text)) {
            *current = bar->tabText(bar->currentIndex());
            return texts;
        }
    }
    return {};
}

// Grabs go to images as BMP files, from two live test channels, "Left" and "Right".
void UseTwoTestChannels(const QTemporaryDir& images)
{
    g_SetObj.m_imageDir = images.path();
    g_SetObj.m_imageType = 0;
    UseTestChannels(QStringLiteral("Left=videotestsrc is-live=true;Right=videotestsrc is-live=true pattern=snow"));
}

void PreviewEveryChannel(CMainFrame& frame)
{
    frame.SetQuiet(true);
    frame.show();
    for (CCamPane* pane : frame.CamPanes())
        pane->Action(ID_CAM_PREVIEW)->trigger();
}

}  // namespace

TEST(CaptureEndToEnd, TwoChannelsPreviewAndGrabIntoTheSelectedFolder)
{
    QTemporaryDir images, pictures;
    g_SetObj.m_imageDir = images.path();
    g_SetObj.m_imageType = 2;
    const QString picture = MakePicture(pictures, 64, 48, Qt::red, Qt::blue);
    UseTestChannels(QStringLiteral("Cam A=%1;Cam B=videotestsrc is-live=true pattern=ball").arg(PictureSource(picture)));

    CMainFrame frame;
    frame.SetQuiet(true);
    frame.resize(1200, 800);
    frame.show();
    frame.OnFileNew();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));

    QString front;
    EXPECT_EQ(TabsWith(frame, QStringLiteral("Soure Pane"), &front),
              QStringList({QStringLiteral("Soure Pane"), QStringLiteral("Cam A"), QStringLiteral("Cam B")}));
    EXPECT_EQ(front, QStringLiteral("Cam B"));
    ASSERT_EQ(frame.CamPanes().size(), 2);
    EXPECT_EQ(frame.CamPanes()[0]->objectName(), QStringLiteral("CamPane0"));

    CCamPane* pane = frame.CamPanes()[0];
    EXPECT_TRUE(pane->Action(ID_CAM_PREVIEW)->isEnabled());
    EXPECT_FALSE(pane->Action(ID_CAM_STOP)->isEnabled());
    EXPECT_FALSE(pane->Action(ID_CAM_GRAB)->isEnabled());
    EXPECT_FALSE(frame.Action(ID_GRAB_ALL_CHANNELS)->isEnabled());

    CNodeObj* folder = frame.LibraryFrame()->View()->Folder();
    ASSERT_NE(folder, nullptr);
    const std::size_t before = folder->GetClipList().GetCount();
    pane->Action(ID_CAM_PREVIEW)->trigger();
    EXPECT_TRUE(frame.Action(ID_GRAB_ALL_CHANNELS)->isEnabled());
    pane->Action(ID_CAM_GRAB)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return folder->GetClipList().GetCount() == before + 1; }, 10000));

    const CClipObj* item = folder->GetClipList().GetAt(before);
    EXPECT_EQ(item->GetPath(), images.filePath(QStringLiteral("Cam A_1.png")));
    EXPECT_EQ(item->GetKind(), 1);
    EXPECT_EQ(item->GetNumber(), 1);
    EXPECT_TRUE(item->GetSource().isEmpty());
    const QImage file(item->GetPath());
    EXPECT_TRUE(Near(file.pixelColor(32, 5), Qt::red));
    EXPECT_TRUE(Near(file.pixelColor(32, 43), Qt::blue));

    pane->Action(ID_CAM_STOP)->trigger();
    EXPECT_FALSE(pane->Action(ID_CAM_GRAB)->isEnabled());
    EXPECT_FALSE(frame.Action(ID_GRAB_ALL_CHANNELS)->isEnabled());
}

// Both channels previewing: one command, one file each, named after its own channel.
TEST(CaptureEndToEnd, GrabAllChannels)
{
    QTemporaryDir images;
    UseTwoTestChannels(images);
    CMainFrame frame;
    PreviewEveryChannel(frame);
    frame.Action(ID_GRAB_ALL_CHANNELS)->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return QFileInfo::exists(images.filePath(QStringLiteral("Left_1.bmp")))
            && QFileInfo::exists(images.filePath(QStringLiteral("Right_1.bmp")));
    }, 10000));
}

// Grab All Channels Every... starts a run on each previewing channel, the same command stops them
// all, and a run still going when the capture side ends is ended with it.
TEST(CaptureEndToEnd, GrabAllChannelsEvery)
{
    QTemporaryDir images;
    UseTwoTestChannels(images);
    CMainFrame frame;
    PreviewEveryChannel(frame);
    QAction* every = frame.Action(ID_GRAB_ALL_CHANNELS_EVERY);
    ASSERT_NE(every, nullptr);
    EXPECT_TRUE(every->isEnabled());

    RememberTimedGrabPlan({200, 0});
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->accept();
    });
    every->trigger();
    EXPECT_TRUE(every->isChecked());
    for (CCamPane* pane : frame.CamPanes())
        EXPECT_TRUE(QTest::qWaitFor([&] { return pane->TimedGrab()->Done() >= 2; }, 10000)) << pane->objectName().toStdString();
    every->trigger();
    EXPECT_FALSE(every->isChecked());
    for (CCamPane* pane : frame.CamPanes())
        EXPECT_EQ(pane->TimedGrab()->LastOutcome(), CTimedGrab::Outcome::Stopped);

    frame.CamPanes()[0]->TimedGrab()->Start({100, 0});
    QTest::qWait(300);
    frame.StopCapture();  // as at exit: the run's timer goes with its pane
    EXPECT_TRUE(frame.CamPanes().isEmpty());
}
