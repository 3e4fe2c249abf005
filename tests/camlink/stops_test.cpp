#include "captesthelpers.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <thread>

namespace {

struct StopCase {
    const char* what;
    const char* description;
    const char* messagePart;  // the message says why, in these words
};

class ChannelStops : public ::testing::TestWithParam<StopCase> {};

TEST_P(ChannelStops, StopsByItselfWithAMessage)
{
    UseTestChannels(QStringLiteral("Cam=") + QString::fromUtf8(GetParam().description));
    CCapBase capture;
    QWidget window;
    capture.SetChanWindow(0, &window);
    QSignalSpy stopped(&capture, &CCapBase::chanStopped);
    capture.PlayChan(0);  // a failure may show at once or later; either way chanStopped follows
    ASSERT_TRUE(stopped.count() > 0 || stopped.wait(10000));
    EXPECT_EQ(stopped.at(0).at(0).toInt(), 0);
    const QString message = stopped.at(0).at(1).toString();
    EXPECT_TRUE(message.startsWith(QStringLiteral("Cam"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8(GetParam().messagePart), Qt::CaseInsensitive)) << message.toStdString();
    EXPECT_FALSE(capture.IsChanPlaying(0));
}

INSTANTIATE_TEST_SUITE_P(
    Stops, ChannelStops,
    ::testing::Values(StopCase{"EndOfStream", "videotestsrc is-live=true num-buffers=5", "ended"},
                      StopCase{"ErrorAfterParse", "filesrc location=/nonexistent/x.png ! pngdec ! imagefreeze is-live=true",
                               "not found"},
                      StopCase{"ParseError", "notanelement ! fakesink", "notanelement"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ChannelStart, UnparsableDescriptionFailsAtOnceAndSaysWhy)
{
    UseTestChannels(QStringLiteral("Cam=notanelement"));
    CCapBase capture;
    QSignalSpy stopped(&capture, &CCapBase::chanStopped);
    EXPECT_LT(capture.PlayChan(0), 0);
    EXPECT_FALSE(capture.LastError().isEmpty());
    ASSERT_TRUE(stopped.wait(10000));
    EXPECT_EQ(stopped.at(0).at(1).toString(), capture.LastError());
    EXPECT_LT(capture.PlayChan(5), 0);
}

}  // namespace

// A format the channel cannot start with, chosen while a frame is still on its way to the view:
// the message stays, the old frame does not come back over it.
TEST(ChannelStart, AFailedFormatChangeKeepsItsMessage)
{
    UseTestChannels(QStringLiteral("Cam=videotestsrc is-live=true"));
    QWidget window;
    window.resize(320, 240);
    window.show();
    CCapBase capture;
    capture.SetChanWindow(0, &window);
    ASSERT_EQ(capture.PlayChan(0), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.GetChanStats(0).painted > 2; }, 10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // a frame waits, its delivery queued
    CapFormat jpeg;
    jpeg.media = QStringLiteral("image/jpeg");
    jpeg.width = 320;
    jpeg.height = 240;
    EXPECT_LT(capture.SetChanFormat(0, jpeg), 0);
    QTest::qWait(200);
    const QWidget* view = window.findChild<QWidget*>(QStringLiteral("CapChanView"));
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->toolTip().isEmpty());
    EXPECT_FALSE(capture.IsChanPlaying(0));
}
