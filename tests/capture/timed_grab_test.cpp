// Timed grabs of a capture pane on a test channel: a counted run, its end by the command, by the
// channel's Stop and by a failed grab, and the plan's dialog and wording.
#include "captesthelpers.h"
#include "ccamdlg.h"
#include "ccampane.h"
#include "grabeverydlg.h"
#include "resource.h"
#include "setobj.h"
#include "timedgrab.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace kestivo::ids;

namespace {

class TimedGrab : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_SetObj.m_imageDir = m_images.path();
        g_SetObj.m_imageType = 2;
        QLocale::setDefault(QLocale::c());
        const QString picture = MakePicture(m_pictures, 64, 48, Qt::red, Qt::blue);
        UseTestChannels(QStringLiteral("Cam A=%1").arg(PictureSource(picture)));
        m_capture = std::make_unique<CCapBase>();
        m_pane = std::make_unique<CCamPane>(m_capture.get(), 0);
        m_pane->Dialog()->SetClipSink([this](std::unique_ptr<CClipObj>) { ++m_clips; });
        m_pane->resize(320, 240);
        m_pane->show();
        m_pane->Action(ID_CAM_PREVIEW)->trigger();
    }
    CTimedGrab& Run() { return *m_pane->TimedGrab(); }
    bool WaitForEnd() { return QTest::qWaitFor([&] { return !Run().IsRunning(); }, 20000); }
    QStringList Files() const { return QDir(m_images.path()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir m_images, m_pictures;
    std::unique_ptr<CCapBase> m_capture;
    std::unique_ptr<CCamPane> m_pane;
    int m_clips = 0;
};

}  // namespace

TEST_F(TimedGrab, EveryHalfSecondFiveTimesWritesFiveConsecutiveFiles)
{
    QAction* command = m_pane->Action(ID_CAM_GRAB_EVERY);
    EXPECT_TRUE(command->toolTip().startsWith(QStringLiteral("Grab Every... (T")));
    Run().Start({500, 5});
    EXPECT_TRUE(command->isChecked());
    const QLabel* line = Run().StateLine();
    EXPECT_TRUE(line->isVisible());
    EXPECT_TRUE(line->text().startsWith(QStringLiteral("Grabbing every 0.5 s: 0 of 5"))) << line->text().toStdString();

    ASSERT_TRUE(WaitForEnd());
    QTest::qWait(700);  // a grab past the count would be written by now
    EXPECT_EQ(Run().LastOutcome(), CTimedGrab::Outcome::Completed);
    EXPECT_EQ(Files(), QStringList({"Cam A_1.png", "Cam A_2.png", "Cam A_3.png", "Cam A_4.png", "Cam A_5.png"}));
    EXPECT_EQ(m_clips, 5);
    EXPECT_TRUE(line->text().startsWith(QStringLiteral("Timed grab done: 5 of 5"))) << line->text().toStdString();
    EXPECT_FALSE(command->isChecked());
}

TEST_F(TimedGrab, TheSameCommandOrTheChannelsStopEndsTheRun)
{
    for (const int stopper : {ID_CAM_GRAB_EVERY, ID_CAM_STOP}) {
        if (m_pane->Dialog()->IsStopped())
            m_pane->Action(ID_CAM_PREVIEW)->trigger();
        Run().Start({100, 0});
        ASSERT_TRUE(QTest::qWaitFor([&] { return Run().Done() >= 2; }, 10000));
        m_pane->Action(stopper)->trigger();
        EXPECT_EQ(Run().LastOutcome(), CTimedGrab::Outcome::Stopped) << stopper;
        const int files = int(Files().size());
        QTest::qWait(500);
        EXPECT_LE(Files().size(), files + 1) << "at most the grab under way is finished";
        EXPECT_FALSE(m_pane->Action(ID_CAM_GRAB_EVERY)->isChecked());
    }
}

TEST_F(TimedGrab, AFailedGrabEndsTheRunWithOneMessage)
{
    g_SetObj.m_imageDir = m_images.filePath(QStringLiteral("gone"));
    QSignalSpy problems(m_pane->Dialog(), &CCamDlg::problem);
    Run().Start({100, 0});
    ASSERT_TRUE(WaitForEnd());
    QTest::qWait(500);
    EXPECT_EQ(Run().LastOutcome(), CTimedGrab::Outcome::Failed);
    EXPECT_EQ(problems.size(), 1);
    EXPECT_TRUE(Run().StateText().startsWith(QStringLiteral("Timed grab stopped by a failed grab: 0 grabbed")));
}

TEST(TimedGrabPlan, IntervalsReadInTheirBestUnitAndSurviveTheDialog)
{
    const struct {
        int ms;
        const char* text;
    } cases[] = {{100, "0.1 s"}, {1500, "1.5 s"}, {61000, "61 s"}, {60000, "1 min"},
                 {90000, "1.5 min"}, {3600000, "1 h"}, {5400000, "1.5 h"}, {1000100, "1000.1 s"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatGrabInterval(c.ms), QString::fromLatin1(c.text)) << c.ms;

    CGrabEveryDlg dialog(QStringLiteral("Grab Every"));
    for (const TimedGrabPlan plan : {TimedGrabPlan{100, 5}, TimedGrabPlan{61000, 0}, TimedGrabPlan{5400000, 1}}) {
        dialog.SetPlan(plan);
        EXPECT_EQ(dialog.Plan(), plan) << plan.intervalMs;
    }
    dialog.SetPlan({20, 3});
    EXPECT_EQ(dialog.Plan(), (TimedGrabPlan{100, 3})) << "a tenth of a second at least";
    dialog.SetPlan({1000100, 0});
    EXPECT_EQ(dialog.Plan(), (TimedGrabPlan{1002000, 0})) << "too many seconds for the box: minutes, rounded";

    RememberTimedGrabPlan({2500, 7});
    EXPECT_EQ(LastTimedGrabPlan(), (TimedGrabPlan{2500, 7}));
}
