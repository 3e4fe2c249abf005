// Timed grabs into an image directory that is slow to write (the grab delay test hook, set by the
// test's environment): ticks that come while a grab is being written are skipped and counted.
#include "captesthelpers.h"
#include "ccamdlg.h"
#include "ccampane.h"
#include "resource.h"
#include "setobj.h"
#include "timedgrab.h"

#include <QAction>
#include <QDir>
#include <QTest>

TEST(SlowImageDirectory, TicksDuringAWriteAreSkippedNotQueued)
{
    const int delayMs = qEnvironmentVariableIntValue("KESTIVO_TEST_GRAB_DELAY_MS");
    if (delayMs < 500)
        GTEST_SKIP() << "needs KESTIVO_TEST_GRAB_DELAY_MS of 500 or more, as ctest sets it";
    QTemporaryDir images, pictures;
    g_SetObj.m_imageDir = images.path();
    g_SetObj.m_imageType = 2;
    UseTestChannels(QStringLiteral("Cam A=%1").arg(PictureSource(MakePicture(pictures, 64, 48, Qt::red, Qt::blue))));
    CCapBase capture;
    CCamPane pane(&capture, 0);
    pane.Dialog()->SetClipSink([](std::unique_ptr<CClipObj>) {});
    pane.show();
    pane.Action(kestivo::ids::ID_CAM_PREVIEW)->trigger();

    CTimedGrab& run = *pane.TimedGrab();
    run.Start({200, 3});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.IsRunning(); }, 30000));
    QTest::qWait(delayMs + 500);  // a queued grab would be written by now
    EXPECT_EQ(run.LastOutcome(), CTimedGrab::Outcome::Completed);
    EXPECT_EQ(QDir(images.path()).entryList(QDir::Files, QDir::Name),
              QStringList({"Cam A_1.png", "Cam A_2.png", "Cam A_3.png"}));
    // Each write spans several ticks; a loaded machine may run fewer of them, but never none.
    EXPECT_GE(run.Skipped(), 2);
    EXPECT_TRUE(run.StateText().contains(QStringLiteral("skipped"))) << run.StateText().toStdString();
}
