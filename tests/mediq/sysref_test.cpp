#include "csysref.h"

#include <gtest/gtest.h>

TEST(SysRef, SecondsAndFramesMeetAtEveryRate)
{
    for (const double rate : {25.0, 30000.0 / 1001, 24000.0 / 1001, 50.0, 60.0}) {
        const CSysRef timing(rate);
        for (std::uint32_t frame : {0u, 1u, 2u, 29u, 1000u, 107892u}) {
            EXPECT_EQ(timing.SecToFrame(timing.FrameToSec(frame)), frame) << rate;
            // Anywhere inside a frame's time is that frame.
            EXPECT_EQ(timing.SecToFrame(timing.FrameToSec(frame) + 0.5 / rate), frame) << rate;
        }
    }
    EXPECT_EQ(CSysRef().SecToFrame(-3), 0u);
}

TEST(SysRef, TimecodeCountsFramesAtTheNominalRate)
{
    EXPECT_EQ(CSysRef(25).FrameToTCString(0), QStringLiteral("00:00:00:00"));
    EXPECT_EQ(CSysRef(25).FrameToTCString(30), QStringLiteral("00:00:01:05"));
    EXPECT_EQ(CSysRef(25).FrameToTCString(25 * 3661 + 24), QStringLiteral("01:01:01:24"));
    EXPECT_EQ(CSysRef(30000.0 / 1001).FrameToTCString(59), QStringLiteral("00:00:01:29"));
}

TEST(SysRef, UnevenTimingUsesEachFramesOwnTime)
{
    auto times = std::make_shared<const std::vector<double>>(std::vector<double>{0.0, 0.025, 0.065, 0.120, 0.145});
    const CSysRef timing(25, times);
    for (std::uint32_t frame = 0; frame < 5; ++frame)
        EXPECT_EQ(timing.SecToFrame(timing.FrameToSec(frame)), frame);
    EXPECT_EQ(timing.SecToFrame(0.100), 2u);
    EXPECT_DOUBLE_EQ(timing.FrameToSec(3), 0.120);
    EXPECT_EQ(timing.SecToFrame(0.145 + 0.04 * 2), 6u) << "past the last frame the rate goes on";
}
