#include "cdsgraph.h"
#include "framesource.h"
#include "graphevents.h"
#include "testvideos.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Receives the graph's notifications and collects the events, as the source dialog does.
class Notify : public QObject {
public:
    CDSGraph* graph = nullptr;
    static inline std::vector<long> events;

    bool event(QEvent* e) override
    {
        if (e->type() != graphevents::kGraphNotify)
            return QObject::event(e);
        graph->ProcessGraphEvents([](QObject*, long code, long, long) { events.push_back(code); });
        return true;
    }
};

class Playback : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_dir = new QTemporaryDir; }
    static void TearDownTestSuite() { delete s_dir; }

    void SetUp() override
    {
        if (!FfmpegAvailable())
            GTEST_SKIP() << "the ffmpeg tool makes the test videos";
        m_window.resize(320, 240);
        m_window.show();
        m_notify.graph = &m_graph;
        Notify::events.clear();
    }

    QString Make(const TestVideo& video) { return MakeTestVideo(s_dir->path(), video); }

    // Seeks and waits until the widget shows that frame; the number its picture carries.
    int SeekAndRead(std::int64_t frame)
    {
        m_graph.SeekTo(frame);
        if (!QTest::qWaitFor([&] { return m_graph.VideoWidget()->CurrentFrame() == frame; }, 10000))
            return -2;
        return ReadFrameNumber(m_graph.VideoWidget()->CurrentImage());
    }

    static QTemporaryDir* s_dir;
    QWidget m_window;
    Notify m_notify;
    CDSGraph m_graph;
};

QTemporaryDir* Playback::s_dir = nullptr;

// Every picture decoded while it lives costs this much longer.
struct SlowDecoding {
    explicit SlowDecoding(std::chrono::microseconds delay) { FrameSource::SetDecodeDelayForTesting(delay); }
    ~SlowDecoding() { FrameSource::SetDecodeDelayForTesting(0us); }
};

const TestVideo& Find(const char* name)
{
    for (const TestVideo& v : TestVideos()) {
        if (std::strcmp(v.name, name) == 0)
            return v;
    }
    return TestVideos().front();
}

}  // namespace

TEST_F(Playback, SeekShowsTheFrameAndStepsGoBothWays)
{
    for (const TestVideo& video : TestVideos()) {
        ASSERT_EQ(m_graph.Init(Make(video), &m_window, &m_notify), 0) << video.name;
        const std::int64_t n = video.frames / 2;
        EXPECT_EQ(SeekAndRead(n), n) << video.name;
        EXPECT_EQ(SeekAndRead(n + 1), n + 1) << video.name;
        EXPECT_EQ(SeekAndRead(n), n) << video.name;
        EXPECT_EQ(SeekAndRead(n - 1), n - 1) << video.name;
        EXPECT_EQ(m_graph.GetCurFrame(), n - 1);
    }
}

TEST_F(Playback, AHundredBackwardStepsShowEachFrameInTurn)
{
    for (const char* name : {"h264.mp4", "mpeg2.vob", "hevc.mp4"}) {
        const TestVideo& video = Find(name);
        ASSERT_EQ(m_graph.Init(Make(video), &m_window, &m_notify), 0);
        const std::int64_t last = std::min<std::int64_t>(video.frames - 1, 120);
        int wrong = 0;
        for (std::int64_t frame = last; frame > last - 100; --frame)
            wrong += SeekAndRead(frame) != frame;
        EXPECT_EQ(wrong, 0) << name;
    }
}

TEST_F(Playback, PlayingToTheEndReportsCompletion)
{
    ASSERT_EQ(m_graph.Init(Make(Find("mjpeg.mov")), &m_window, &m_notify), 0);
    m_graph.SetRate(4.0);
    m_graph.SeekTo(30);
    m_graph.Play();
    EXPECT_TRUE(m_graph.IsPlaying());
    // While it plays, the current frame is the one on screen.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_graph.VideoWidget()->CurrentFrame() > 35; }, 10000));
    EXPECT_EQ(m_graph.GetCurFrame(), m_graph.VideoWidget()->CurrentFrame());
    EXPECT_EQ(ReadFrameNumber(m_graph.VideoWidget()->CurrentImage()), m_graph.GetCurFrame());
    ASSERT_TRUE(QTest::qWaitFor([] { return !Notify::events.empty(); }, 20000));
    EXPECT_EQ(Notify::events, std::vector<long>{graphevents::kComplete});
    EXPECT_FALSE(m_graph.IsPlaying());
    EXPECT_EQ(m_graph.GetCurFrame(), 59);
}

TEST_F(Playback, AFileThatStopsDecodingMidwayReportsAnError)
{
    const QString original = Make(Find("mpeg2.mpg"));
    const QString damaged = s_dir->filePath(QStringLiteral("damaged.mpg"));
    QFile::remove(damaged);
    ASSERT_TRUE(QFile::copy(original, damaged));
    ASSERT_EQ(m_graph.Init(damaged, &m_window, &m_notify), 0);
    {
        // Indexed whole; now the second half turns to garbage under the player.
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const qint64 half = file.size() / 2;
        file.seek(half);
        file.write(QByteArray(file.size() - half, '\x5a'));
    }
    m_graph.SetRate(8.0);
    m_graph.SeekTo(0);
    m_graph.Play();
    ASSERT_TRUE(QTest::qWaitFor([] { return !Notify::events.empty(); }, 20000));
    EXPECT_EQ(Notify::events.front(), graphevents::kErrorAbort);
    EXPECT_LT(m_graph.GetCurFrame(), 120);
}

TEST_F(Playback, DestroyingTheGraphWhilePlayingReturnsPromptly)
{
    auto graph = std::make_unique<CDSGraph>();
    ASSERT_EQ(graph->Init(Make(Find("h264.mp4")), &m_window, &m_notify), 0);
    graph->SeekTo(0);
    graph->Play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return graph->VideoWidget()->CurrentFrame() > 3; }, 10000));
    QElapsedTimer clock;
    clock.start();
    graph.reset();
    EXPECT_LT(clock.elapsed(), 1000);
    QTest::qWait(50);  // frames still queued for the deleted widget are dropped, not delivered
}

TEST_F(Playback, ADecoderSlowerThanTheRateKeepsThePictureMovingWithTheClock)
{
    // A keyframe a second; every picture decoded costs 40 ms, so at rate 4 the decoder makes a
    // quarter of the frames the clock passes.
    const TestVideo video{"gop25.mp4", 250, {"-c:v", "libx264", "-bf", "3", "-g", "25", "-keyint_min", "25",
                                             "-sc_threshold", "0", "-preset", "veryfast"}};
    ASSERT_EQ(m_graph.Init(Make(video), &m_window, &m_notify), 0);
    ASSERT_EQ(SeekAndRead(0), 0);
    const SlowDecoding slow(40ms);
    CVideoWidget* widget = m_graph.VideoWidget();
    QSignalSpy shown(widget, &CVideoWidget::frameShown);
    m_graph.SetRate(4.0);
    QElapsedTimer clock;
    clock.start();
    m_graph.Play();
    QTest::qWait(2000);
    const double clockFrame = double(clock.elapsed()) / 1000 * 4 * 25;
    const std::int64_t onScreen = widget->CurrentFrame();
    const int number = ReadFrameNumber(widget->CurrentImage());
    m_graph.Pause();
    EXPECT_GE(shown.count(), 8);
    EXPECT_NEAR(double(onScreen), clockFrame, 0.15 * clockFrame);
    EXPECT_EQ(number, onScreen);
}

TEST_F(Playback, APausedPictureIsMadeAgainWhenTheWidgetGrows)
{
    const TestVideo video{"vga.mp4", 10, {"-c:v", "libx264", "-preset", "veryfast"}, {}, 640, 480};
    m_window.resize(160, 120);
    ASSERT_EQ(m_graph.Init(Make(video), &m_window, &m_notify), 0);
    ASSERT_EQ(SeekAndRead(5), 5);
    CVideoWidget* widget = m_graph.VideoWidget();
    EXPECT_EQ(widget->CurrentImage().size(), QSize(160, 120));

    // Larger than the video itself: the picture grows to the video's own size, not beyond.
    m_window.resize(1280, 960);
    m_graph.SetVideoWindow(&m_window);
    ASSERT_TRUE(QTest::qWaitFor([&] { return widget->CurrentImage().size() == QSize(640, 480); }, 5000));
    EXPECT_EQ(widget->CurrentFrame(), 5);
    EXPECT_EQ(ReadFrameNumber(widget->CurrentImage()), 5);

    // Nothing better can be made for a still larger widget, so nothing is made.
    QSignalSpy shown(widget, &CVideoWidget::frameShown);
    m_window.resize(1600, 1200);
    m_graph.SetVideoWindow(&m_window);
    QTest::qWait(400);
    EXPECT_EQ(shown.count(), 0);
}
