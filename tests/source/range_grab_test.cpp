#include "cimage.h"
#include "framesource.h"
#include "markslider.h"
#include "rangegrab.h"
#include "resource.h"
#include "source_fixture.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <chrono>

namespace {

int NumberInFile(const QString& path)
{
    CImage image;
    return image.Load(path).ok() ? ReadFrameNumber(image.ToQImage()) : -1;
}

class RangeGrab : public SourceFixture {
protected:
    void TearDown() override { FrameSource::SetDecodeDelayForTesting(std::chrono::microseconds(0)); }

    // Every 7th frame from 100 to 400 of a file with B-frames and groups of 50.
    std::vector<std::int64_t> OpenAndChoose()
    {
        const QString video = Video("range.mp4", 420, {"-c:v", "libx264", "-bf", "3", "-g", "50", "-preset", "veryfast"});
        EXPECT_TRUE(Dlg().LoadVideo(video, 1.0, 0));
        return RangeFrames(RangeChoice{RangeChoice::Mode::EveryKth, 100, 400, 7, 0});
    }

    bool Finished() { return QTest::qWaitFor([&] { return Dlg().RangeGrab() == nullptr; }, 60000); }

    // Every file in the image directory belongs to an item, shows that item's frame, and the items
    // came in frame order, each a frame of expected.
    void ExpectFilesAndItemsMatch(const std::vector<std::int64_t>& expected)
    {
        const QStringList files = QDir(m_images.path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(files.size(), qsizetype(m_clips.size())) << files.join(QLatin1Char(' ')).toStdString();
        ASSERT_LE(m_clips.size(), expected.size());
        for (std::size_t i = 0; i < m_clips.size(); ++i) {
            const CClipObj& item = *m_clips[i];
            EXPECT_EQ(item.GetNumber(), expected[i]) << "item " << i;
            EXPECT_EQ(NumberInFile(item.GetPath()), expected[i]) << item.GetPath().toStdString();
            EXPECT_EQ(item.GetKind(), CClipObj::kVideoFile);
            EXPECT_TRUE(item.HasThumbnail());
        }
    }
};

}  // namespace

TEST(RangeFrames, NameTheFramesBetweenTheMarks)
{
    using M = RangeChoice::Mode;
    const struct {
        RangeChoice choice;
        std::vector<std::int64_t> frames;
    } cases[] = {
        {{M::EveryFrame, 5, 8, 1, 0}, {5, 6, 7, 8}},
        {{M::EveryKth, 10, 30, 7, 0}, {10, 17, 24}},
        {{M::EveryKth, 30, 10, 10, 0}, {10, 20, 30}},  // marks the wrong way round
        {{M::EvenlySpaced, 0, 10, 0, 3}, {0, 5, 10}},
        {{M::EvenlySpaced, 0, 10, 0, 4}, {0, 3, 7, 10}},
        {{M::EvenlySpaced, 4, 6, 0, 9}, {4, 5, 6}},  // more than there are
        {{M::EvenlySpaced, 4, 9, 0, 1}, {4}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RangeFrames(c.choice), c.frames) << int(c.choice.mode) << " " << c.choice.in << "-" << c.choice.out;
}

TEST_F(RangeGrab, EverySeventhFrameGivesExactlyThoseFilesAndItemsInOrder)
{
    const std::vector<std::int64_t> frames = OpenAndChoose();
    ASSERT_EQ(frames.size(), 43u);
    ASSERT_NE(Dlg().StartRangeGrab(frames), nullptr);
    EXPECT_EQ(Dlg().StartRangeGrab(frames), nullptr) << "one run at a time";
    ASSERT_TRUE(Finished());
    EXPECT_TRUE(m_problems.empty()) << m_problems.front().toStdString();
    ASSERT_EQ(m_clips.size(), frames.size());
    ExpectFilesAndItemsMatch(frames);
    EXPECT_EQ(m_clips.front()->GetCaption(), QStringLiteral("range_100"));
}

TEST_F(RangeGrab, CancelKeepsWhatWasWrittenEachWithItsItem)
{
    const std::vector<std::int64_t> frames = OpenAndChoose();
    FrameSource::SetDecodeDelayForTesting(std::chrono::milliseconds(3));  // a run that lasts
    CRangeGrab* run = Dlg().StartRangeGrab(frames);
    ASSERT_NE(run, nullptr);
    QObject::connect(run, &CRangeGrab::progress, run, [run](int delivered, int total) {
        if (delivered >= total / 2)
            run->Cancel();
    });
    ASSERT_TRUE(Finished());
    EXPECT_TRUE(m_problems.empty()) << "a cancel is no failure";
    EXPECT_GE(m_clips.size(), frames.size() / 2);
    EXPECT_LT(m_clips.size(), frames.size());
    ExpectFilesAndItemsMatch(frames);
}

TEST_F(RangeGrab, DeletingTheSourceWhileARunGoesJoinsItAndDeliversWhatWasWritten)
{
    const std::vector<std::int64_t> frames = OpenAndChoose();
    FrameSource::SetDecodeDelayForTesting(std::chrono::milliseconds(3));
    auto pane = std::make_unique<CSourcePane>();
    std::vector<std::unique_ptr<CClipObj>> clips;
    pane->Dialog()->SetClipSink([&clips](std::unique_ptr<CClipObj> clip) { clips.push_back(std::move(clip)); });
    ASSERT_TRUE(pane->Dialog()->LoadVideo(Dlg().FileName(), 1.0, 0));
    ASSERT_NE(pane->Dialog()->StartRangeGrab(frames), nullptr);
    QTest::qWait(200);
    pane.reset();
    EXPECT_EQ(QDir(m_images.path()).entryList(QDir::Files | QDir::Hidden).size(), qsizetype(clips.size()));
}

TEST_F(RangeGrab, MarksFollowTheKeysAndKeepInBeforeOut)
{
    ASSERT_TRUE(Dlg().LoadVideo(Video("marks.mpg", 60), 1.0, 0));
    EXPECT_EQ(Dlg().InMark(), 0u);
    EXPECT_EQ(Dlg().OutMark(), 59u) << "Head and Tail until set";
    QAction* in = m_pane.Action(kestivo::ids::ID_SOURCE_MARKIN);
    QAction* out = m_pane.Action(kestivo::ids::ID_SOURCE_MARKOUT);
    EXPECT_EQ(in->shortcut(), QKeySequence(Qt::Key_I));
    EXPECT_EQ(out->shortcut(), QKeySequence(Qt::Key_O));
    EXPECT_TRUE(in->toolTip().endsWith(QStringLiteral("(I)"))) << in->toolTip().toStdString();
    Dlg().Slider()->setValue(40);
    out->trigger();
    Dlg().Slider()->setValue(10);
    in->trigger();
    EXPECT_EQ(std::pair(Dlg().InMark(), Dlg().OutMark()), std::pair(10u, 40u));
    EXPECT_EQ(std::pair(Dlg().MarkSlider()->InMark(), Dlg().MarkSlider()->OutMark()), std::pair(10u, 40u));
    Dlg().Slider()->setValue(50);
    Dlg().SetInMark();
    EXPECT_EQ(std::pair(Dlg().InMark(), Dlg().OutMark()), std::pair(50u, 59u)) << "Out back to Tail";
}
