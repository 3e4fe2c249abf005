#include "resource.h"
#include "source_fixture.h"
#include "videoarea.h"
#include "videofilters.h"

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QUrl>

using namespace kestivo::ids;

namespace {

class SourceCommands : public SourceFixture {
protected:
    std::vector<int> Enabled()
    {
        m_pane.UpdateCommands();
        std::vector<int> ids;
        for (const int id : {ID_SOURCE_OPEN, ID_SOURCE_PLAY, ID_SOURCE_PAUSE, ID_SOURCE_STOP, ID_SOURCE_HEAD,
                             ID_SOURCE_PREVSEC, ID_SOURCE_PREVFRAME, ID_SOURCE_NEXTFRAME, ID_SOURCE_NEXTSEC,
                             ID_SOURCE_TAIL, ID_SOURCE_RATE, ID_SOURCE_RATEUP, ID_SOURCE_RATEDOWN, ID_SOURCE_GRAB}) {
            if (m_pane.Action(id)->isEnabled())
                ids.push_back(id);
        }
        return ids;
    }
};

}  // namespace

TEST_F(SourceCommands, EachCommandIsEnabledOnlyWhenItApplies)
{
    EXPECT_EQ(Enabled(), std::vector<int>{ID_SOURCE_OPEN}) << "no file: only Open";

    ASSERT_TRUE(Dlg().LoadVideo(Video("rules.mpg", 60), 1.0, 0));
    EXPECT_EQ(Enabled(), (std::vector<int>{ID_SOURCE_OPEN, ID_SOURCE_PLAY, ID_SOURCE_NEXTFRAME, ID_SOURCE_NEXTSEC,
                                           ID_SOURCE_TAIL, ID_SOURCE_RATE, ID_SOURCE_RATEUP, ID_SOURCE_RATEDOWN,
                                           ID_SOURCE_GRAB}))
        << "at frame 0";

    Dlg().Tail();
    EXPECT_EQ(Dlg().CurrentFrame(), 59u) << "Tail is the last frame";
    EXPECT_EQ(Dlg().Slider()->maximum(), 59);
    EXPECT_EQ(Enabled(), (std::vector<int>{ID_SOURCE_OPEN, ID_SOURCE_PLAY, ID_SOURCE_HEAD, ID_SOURCE_PREVSEC,
                                           ID_SOURCE_PREVFRAME, ID_SOURCE_RATE, ID_SOURCE_RATEUP, ID_SOURCE_RATEDOWN,
                                           ID_SOURCE_GRAB}))
        << "at the last frame";

    Dlg().Head();
    Dlg().RateDown();
    Dlg().RateDown();  // slow, so that it is still playing when we look
    Dlg().Play();
    std::vector<int> playing = Enabled();
    EXPECT_TRUE(std::find(playing.begin(), playing.end(), ID_SOURCE_PLAY) == playing.end());
    EXPECT_TRUE(std::find(playing.begin(), playing.end(), ID_SOURCE_PAUSE) != playing.end());
    EXPECT_TRUE(std::find(playing.begin(), playing.end(), ID_SOURCE_STOP) != playing.end());
    Dlg().Pause();
    std::vector<int> paused = Enabled();
    EXPECT_TRUE(std::find(paused.begin(), paused.end(), ID_SOURCE_PLAY) != paused.end());
    EXPECT_TRUE(std::find(paused.begin(), paused.end(), ID_SOURCE_PAUSE) == paused.end());
    EXPECT_TRUE(std::find(paused.begin(), paused.end(), ID_SOURCE_RATEUP) != paused.end());
    EXPECT_FALSE(m_pane.Action(ID_SOURCE_PLAY)->toolTip().isEmpty());
    EXPECT_TRUE(m_pane.Action(ID_SOURCE_GRAB)->toolTip().contains(QStringLiteral("G")));
}

TEST_F(SourceCommands, PositionStepsStopAtTheEnds)
{
    ASSERT_TRUE(Dlg().LoadVideo(Video("steps.mpg", 120), 1.0, 0));
    const std::uint32_t n = Dlg().LastFrame();
    ASSERT_EQ(n, 119u);
    CClipObj item;
    item.SetSource(Dlg().FileInfo().GetFileName());
    item.SetNumber(std::int32_t(n - 10));
    Dlg().ShowClip(item);
    Dlg().NextSecond();
    EXPECT_EQ(Dlg().CurrentFrame(), n);

    Dlg().Head();
    for (int i = 0; i < 25; ++i)
        Dlg().NextFrame();
    Dlg().PreviousSecond();
    EXPECT_EQ(Dlg().CurrentFrame(), 0u) << "from 25";
    for (int i = 0; i < 26; ++i)
        Dlg().NextFrame();
    Dlg().PreviousSecond();
    EXPECT_EQ(Dlg().CurrentFrame(), 1u) << "from 26";

    // At the ends a frame step changes nothing and shows nothing again.
    Dlg().Head();
    ASSERT_TRUE(Settled());
    QSignalSpy shown(Dlg().Graph().VideoWidget(), &CVideoWidget::frameShown);
    Dlg().PreviousFrame();
    Dlg().Tail();
    ASSERT_TRUE(Settled());
    shown.clear();
    Dlg().NextFrame();
    QTest::qWait(150);
    EXPECT_EQ(Dlg().CurrentFrame(), n);
    EXPECT_EQ(shown.count(), 0);

    // The slider keeps its keys: arrows one frame, Page Up and Down ten.
    Dlg().Head();
    Dlg().Slider()->setFocus();
    QTest::keyClick(Dlg().Slider(), Qt::Key_PageUp);
    EXPECT_EQ(Dlg().CurrentFrame(), 10u);
}

TEST_F(SourceCommands, NextSecondOfAShortFileGoesToItsEnd)
{
    ASSERT_TRUE(Dlg().LoadVideo(Video("short.mpg", 20), 1.0, 0));
    Dlg().NextSecond();
    EXPECT_EQ(Dlg().CurrentFrame(), 19u);
}

TEST_F(SourceCommands, RateAndASecondFile)
{
    ASSERT_TRUE(Dlg().LoadVideo(Video("first.mpg", 30), 1.0, 0));
    Dlg().RateUp();
    Dlg().RateUp();
    Dlg().RateUp();
    EXPECT_NEAR(Dlg().Rate(), 1.331, 1e-12);
    Dlg().ResetRate();
    EXPECT_EQ(Dlg().Rate(), 1.0);
    Dlg().RateUp();
    Dlg().NextSecond();

    ASSERT_TRUE(Dlg().LoadVideo(Video("second.mpg", 40), Dlg().Rate(), 0));
    EXPECT_NEAR(Dlg().Rate(), 1.1, 1e-12) << "the rate is kept across files";
    EXPECT_EQ(Dlg().CurrentFrame(), 0u);
    EXPECT_FALSE(Dlg().IsPlaying());
    EXPECT_EQ(Dlg().LastFrame(), 39u);
}

TEST_F(SourceCommands, PlayingToTheEndStopsAtFrameZero)
{
    ASSERT_TRUE(Dlg().LoadVideo(Video("toend.mpg", 40), 1.0, 0));
    for (int i = 0; i < 15; ++i)
        Dlg().RateUp();  // about 4 x
    Dlg().NextSecond();
    Dlg().Play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Dlg().CurrentFrame() > 25; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Dlg().IsPlaying() && Dlg().CurrentFrame() == 0; }, 10000));
    EXPECT_EQ(Dlg().Slider()->value(), 0);
}

TEST_F(SourceCommands, ShowClipReopensOnlyForAnotherFile)
{
    ASSERT_TRUE(Dlg().LoadVideo(Video("one.mpg", 50), 1.0, 0));
    const FrameSource* opened = Dlg().FileInfo().Source();
    CClipObj same;
    same.SetSource(Dlg().FileInfo().GetFileName());
    same.SetNumber(33);
    Dlg().ShowClip(same);
    EXPECT_EQ(Dlg().FileInfo().Source(), opened) << "no reopen";
    EXPECT_EQ(Dlg().CurrentFrame(), 33u);
    ASSERT_TRUE(Settled());

    CClipObj other;
    other.SetSource(Video("two.mpg", 50));
    other.SetNumber(17);
    Dlg().ShowClip(other);
    EXPECT_NE(Dlg().FileInfo().Source(), opened);
    EXPECT_EQ(Dlg().FileInfo().GetFileName(), other.GetSource());
    EXPECT_EQ(Dlg().CurrentFrame(), 17u);
    EXPECT_TRUE(Settled());
}

TEST_F(SourceCommands, AFileThatDoesNotOpenSaysWhyAndKeepsTheOpenOne)
{
    ASSERT_TRUE(Dlg().LoadVideo(Video("kept.mpg", 30), 1.0, 0));
    CClipObj moved;  // a grab whose video has gone since
    moved.SetSource(m_images.filePath(QStringLiteral("moved.avi")));
    Dlg().ShowClip(moved);
    QFile notVideo(m_images.filePath(QStringLiteral("notes.avi")));
    ASSERT_TRUE(notVideo.open(QIODevice::WriteOnly) && notVideo.write("not a video") > 0);
    notVideo.close();
    EXPECT_FALSE(Dlg().LoadVideo(notVideo.fileName(), 1.0, 0));
    ASSERT_EQ(m_problems.size(), 2u);
    EXPECT_EQ(m_problems[0], QStringLiteral("The video \"%1\" was not found").arg(moved.GetSource()));
    EXPECT_TRUE(m_problems[1].startsWith(QStringLiteral("\"%1\" could not be opened").arg(notVideo.fileName())));
    EXPECT_TRUE(Dlg().FileInfo().GetFileName().endsWith(QStringLiteral("kept.mpg")));
}

TEST_F(SourceCommands, TheEmptyVideoAreaSaysHowToOpenOneAndTakesADroppedFile)
{
    auto* area = Dlg().findChild<CVideoArea*>();
    ASSERT_TRUE(area);
    EXPECT_FALSE(area->IsVideoOpen());
    const QString clip = Video("dropped.mpg", 20);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(clip)});
    QDragEnterEvent enter(area->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(area, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(area->rect().center()), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(area, &drop);
    EXPECT_EQ(Dlg().FileInfo().GetFileName(), clip);
    EXPECT_TRUE(area->IsVideoOpen());
}

// Each label names its patterns once, so the dialog is told to add none, and the list stays narrow.
TEST(VideoFileDialog, LabelsShowTheirPatternsOnce)
{
    QFileDialog dialog;
    dialog.setOptions(kVideoFileDialogOptions | QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(VideoFileFilters());
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_TRUE(types);
    ASSERT_GT(types->count(), 10);
    for (int i = 0; i < types->count(); ++i) {
        const QString label = types->itemText(i);
        EXPECT_LE(label.size(), 40) << label.toStdString();
        EXPECT_LE(label.count(QStringLiteral("(*")), 1) << label.toStdString();
    }
}

TEST_F(SourceCommands, PauseLinesTheCounterUpWithTheScreen)
{
    ASSERT_TRUE(Dlg().LoadVideo(Video("pausing.mpg", 120), 1.0, 0));
    Dlg().RateUp();
    Dlg().Play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Dlg().CurrentFrame() > 10; }, 10000));
    Dlg().Pause();
    ASSERT_TRUE(Settled());
    QTest::qWait(120);  // a picture still on its way must not change the screen now
    EXPECT_EQ(Dlg().Graph().VideoWidget()->CurrentFrame(), std::int64_t(Dlg().CurrentFrame()));

    // A stored frame number past the end of the file is held to the last frame.
    CClipObj beyond;
    beyond.SetSource(Dlg().FileInfo().GetFileName());
    beyond.SetNumber(5000);
    Dlg().ShowClip(beyond);
    EXPECT_EQ(Dlg().CurrentFrame(), 119u);
    beyond.SetNumber(-3);
    Dlg().ShowClip(beyond);
    EXPECT_EQ(Dlg().CurrentFrame(), 0u);
}

TEST_F(SourceCommands, StatusLineTellsWhereAndAClickOnTheGrooveJumpsThere)
{
    ASSERT_TRUE(Dlg().LoadVideo(Video("status.mpg", 500), 1.0, 0));
    for (int i = 0; i < 40; ++i)
        Dlg().NextFrame();
    EXPECT_EQ(Dlg().StatusLine()->text(), QStringLiteral("status.mpg   frame 40 of 500   0:01.60 / 0:20.00"));
    Dlg().RateUp();
    Dlg().RateUp();
    EXPECT_TRUE(Dlg().StatusLine()->text().endsWith(QStringLiteral("   1.21\u00D7"))) << Dlg().StatusLine()->text().toStdString();
    Dlg().ResetRate();
    EXPECT_FALSE(Dlg().StatusLine()->text().contains(QChar(0x00D7)));

    // Three quarters along the groove, away from the handle: there, not a page of ten frames on.
    QSlider* slider = Dlg().Slider();
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = Qt::Horizontal;
    const QRect groove = slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, slider);
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(groove.x() + groove.width() * 3 / 4, slider->height() / 2));
    EXPECT_NEAR(double(Dlg().CurrentFrame()), 374.0, 5.0);
    EXPECT_EQ(slider->value(), int(Dlg().CurrentFrame()));
    EXPECT_TRUE(Dlg().StatusLine()->text().contains(QStringLiteral("frame %1 of 500").arg(Dlg().CurrentFrame())));

    // Page Down keeps its page of ten frames.
    slider->setFocus();
    const std::uint32_t at = Dlg().CurrentFrame();
    QTest::keyClick(slider, Qt::Key_PageDown);
    EXPECT_EQ(Dlg().CurrentFrame(), at - 10);
}
