#include "captesthelpers.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <atomic>

namespace {

class Frames : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
};

// 30 x 3 bytes is not a multiple of four: GStreamer pads those rows, the callback must not.
TEST_F(Frames, RowsArePackedAndBottomUp)
{
    for (QSize size : {QSize(30, 20), QSize(32, 16)}) {
        const QString picture = MakePicture(m_dir, size.width(), size.height(), Qt::red, Qt::blue);
        UseTestChannels(QStringLiteral("Pic=") + PictureSource(picture));
        FrameCollector frames;  // outlives the channel that calls it
        CCapBase capture;
        frames.Attach(capture, 0);
        ASSERT_EQ(capture.PlayChan(0), 0) << capture.LastError().toStdString();
        Frame frame;
        ASSERT_TRUE(frames.WaitFrame(&frame));
        ASSERT_EQ(frame.width, size.width());
        ASSERT_EQ(frame.height, size.height());
        EXPECT_EQ(frame.bpp, 24);
        for (int row = 0; row < frame.height; ++row) {
            const QColor expected = row < frame.height / 2 ? QColor(Qt::blue) : QColor(Qt::red);
            for (int x = 0; x < frame.width; ++x)
                ASSERT_TRUE(Near(frame.At(x, row), expected)) << size.width() << " row " << row << " x " << x;
        }
    }
}

// A description may end in caps, as a user writes it for the command line; and a callback that
// wants no frame now is not handed one.
TEST_F(Frames, DescriptionsEndingInCapsAndFramesNobodyWants)
{
    UseTestChannels(QStringLiteral("Small=videotestsrc is-live=true ! video/x-raw,width=48,height=36"));
    FrameCollector frames;  // outlives the channel that calls it
    CCapBase capture;
    frames.Attach(capture, 0);
    ASSERT_EQ(capture.PlayChan(0), 0) << capture.LastError().toStdString();
    Frame frame;
    ASSERT_TRUE(frames.WaitFrame(&frame));
    EXPECT_EQ(QSize(frame.width, frame.height), QSize(48, 36));

    static std::atomic<bool> wanted{false};
    capture.SetChanCallBack(0, &FrameCollector::Callback, &frames, [](int, void*) { return wanted.load(); });
    const int before = frames.Calls();
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.GetChanStats(0).produced > 5; }, 5000));
    const quint64 produced = capture.GetChanStats(0).produced;
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.GetChanStats(0).produced > produced + 3; }, 5000));
    EXPECT_EQ(frames.Calls(), before);
    wanted = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return frames.Calls() > before; }, 5000));
}

TEST_F(Frames, NoCallbackAfterItIsRemovedOrTheChannelPaused)
{
    UseTestChannels(QStringLiteral("A=videotestsrc is-live=true;B=videotestsrc is-live=true"));
    FrameCollector a, b;  // outlive the channels that call them
    CCapBase capture;
    a.Attach(capture, 0);
    b.Attach(capture, 1);
    ASSERT_EQ(capture.PlayChan(0), 0);
    ASSERT_EQ(capture.PlayChan(1), 0);
    ASSERT_TRUE(a.WaitFrame());

    capture.SetChanCallBack(0, nullptr, nullptr);
    const int removedAt = a.Calls();
    const quint64 produced = capture.GetChanStats(0).produced;
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.GetChanStats(0).produced > produced + 3; }, 10000));
    EXPECT_EQ(a.Calls(), removedAt);

    capture.PauseChan(1);
    EXPECT_FALSE(capture.IsChanPlaying(1));
    const int pausedAt = b.Calls();
    a.Attach(capture, 0);
    ASSERT_TRUE(a.WaitFrame());  // time passes with frames flowing elsewhere
    ASSERT_TRUE(a.WaitFrame());
    EXPECT_EQ(b.Calls(), pausedAt);
}

TEST_F(Frames, ViewPaintsTheNewestFrame)
{
    const QString picture = MakePicture(m_dir, 64, 48, Qt::green, Qt::green);
    UseTestChannels(QStringLiteral("Pic=") + PictureSource(picture));
    CCapBase capture;
    QWidget window;
    window.resize(200, 120);
    window.show();
    ASSERT_EQ(capture.SetChanWindow(0, &window), 0);
    ASSERT_EQ(capture.PlayChan(0), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.GetChanStats(0).painted > 0; }, 10000));
    const QImage shot = window.grab().toImage();
    EXPECT_TRUE(Near(shot.pixelColor(shot.width() / 2, shot.height() / 2), Qt::green));
    // Fitted with the aspect kept: the sides of a wider window stay black.
    EXPECT_TRUE(Near(shot.pixelColor(2, shot.height() / 2), Qt::black));
    EXPECT_LE(capture.GetChanStats(0).painted, capture.GetChanStats(0).produced);
}

TEST_F(Frames, WindowDestroyedBeforeTheLibraryIsFine)
{
    UseTestChannels(QStringLiteral("A=videotestsrc is-live=true"));
    CCapBase capture;
    auto window = std::make_unique<QWidget>();
    window->show();
    capture.SetChanWindow(0, window.get());
    ASSERT_EQ(capture.PlayChan(0), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.GetChanStats(0).painted > 0; }, 10000));
    window.reset();
    const quint64 produced = capture.GetChanStats(0).produced;
    EXPECT_TRUE(QTest::qWaitFor([&] { return capture.GetChanStats(0).produced > produced + 2; }, 10000));
}

}  // namespace
