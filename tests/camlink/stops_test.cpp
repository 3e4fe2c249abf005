#include "captesthelpers.h"

#include <QSignalSpy>
#include <QWidget>

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
