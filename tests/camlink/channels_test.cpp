#include "captesthelpers.h"
#include "channellist.h"

#include <QStringList>

namespace {

struct ParseCase {
    const char* what;
    const char* channels;
    QStringList names;
};

class ChannelList : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ChannelList, NamesAndOrderFollowTheVariable)
{
    UseTestChannels(QString::fromUtf8(GetParam().channels));
    CCapBase capture;
    QStringList names;
    for (int i = 0; i < capture.GetChanCount(); ++i)
        names << capture.GetChanName(i);
    EXPECT_EQ(names, GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Parsing, ChannelList,
    ::testing::Values(
        ParseCase{"TwoInOrder", "Cam B=videotestsrc is-live=true;Cam A=videotestsrc is-live=true", {"Cam B", "Cam A"}},
        ParseCase{"EmptyMeansNone", "", {}},
        ParseCase{"DuplicatesNumbered", "Cam=videotestsrc;Cam=videotestsrc;Cam=videotestsrc", {"Cam", "Cam (2)", "Cam (3)"}},
        ParseCase{"NumberedNamesStayDistinct", "Cam=videotestsrc;Cam (2)=videotestsrc;Cam=videotestsrc",
                  {"Cam", "Cam (2)", "Cam (3)"}},
        ParseCase{"MalformedSkipped", "no equals sign;=videotestsrc;Good=videotestsrc;", {"Good"}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ChannelIdentity, TestChannelsAreKnownByTheirName)
{
    UseTestChannels(QStringLiteral("Cam A=videotestsrc"));
    CCapBase capture;
    EXPECT_EQ(capture.GetChanIdentity(0), QStringLiteral("test:Cam A"));
    EXPECT_TRUE(capture.GetChanName(1).isEmpty());
}

// Without test channels the device monitor is used; with no camera there are no channels, but it
// must still start, enumerate and stop cleanly.
TEST(DeviceMonitor, StartsAndStopsWithWhateverIsPluggedIn)
{
    UseTestChannels(QString());
    qunsetenv("KESTIVO_TEST_CHANNELS");
    CCapBase capture;
    for (int i = 0; i < capture.GetChanCount(); ++i)
        EXPECT_FALSE(capture.GetChanIdentity(i).isEmpty());
    EXPECT_LT(capture.PlayChan(capture.GetChanCount()), 0);
}

// Devices cannot be plugged in here; the ordering they get is checked on plain entries.
TEST(DeviceOrder, KnownDevicesKeepTheirPlaceAndNewOnesFollowSorted)
{
    QList<ChannelInfo> channels;
    for (const char* identity : {"/dev/video4", "/dev/video0", "/dev/video9", "/dev/video2"}) {
        ChannelInfo info;
        info.identity = QString::fromLatin1(identity);
        channels << info;
    }
    QStringList known{QStringLiteral("/dev/video9"), QStringLiteral("/dev/video7"), QStringLiteral("/dev/video4")};
    OrderByKnown(channels, known);
    QStringList order;
    for (const ChannelInfo& info : channels)
        order << info.identity;
    EXPECT_EQ(order, (QStringList{"/dev/video9", "/dev/video4", "/dev/video0", "/dev/video2"}));
    EXPECT_EQ(known, (QStringList{"/dev/video9", "/dev/video7", "/dev/video4", "/dev/video0", "/dev/video2"}));
}

}  // namespace
