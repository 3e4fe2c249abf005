// The hand-off of a live frame from the delivery thread to the worker, with a fake delivery thread:
// no device, no Qt, so that ThreadSanitizer can watch it alone.
#include "grabhandoff.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

struct Grab {
    int number;
    int width;
    std::uint8_t firstByte;
};

// Records each grab; thread-safe, since the worker writes and the test reads.
class Recorder {
public:
    CGrabHandoff::GrabFunction Function()
    {
        return [this](const CapturedFrame& frame, int number) {
            const std::lock_guard lock(m_lock);
            m_grabs.push_back({number, frame.width, frame.pixels[0]});
        };
    }
    std::vector<Grab> Grabs()
    {
        const std::lock_guard lock(m_lock);
        return m_grabs;
    }
    bool WaitFor(std::size_t count)
    {
        for (int i = 0; i < 400 && Grabs().size() < count; ++i)
            std::this_thread::sleep_for(5ms);
        return Grabs().size() >= count;
    }

private:
    std::mutex m_lock;
    std::vector<Grab> m_grabs;
};

std::vector<std::uint8_t> Frame(int width, int height, std::uint8_t value)
{
    return std::vector<std::uint8_t>(std::size_t(width) * height * 3, value);
}

void Deliver(CGrabHandoff& handoff, int channel, const std::vector<std::uint8_t>& frame, int width, int height)
{
    CGrabHandoff::FrameCallback(channel, frame.data(), width, height, 24, &handoff);
}

}  // namespace

TEST(GrabHandoff, RequestsBeforeOneFrameGiveOneGrabAndOtherChannelsAreIgnored)
{
    Recorder recorder;
    CGrabHandoff handoff(1, recorder.Function());
    const auto frame = Frame(4, 2, 7);

    handoff.RequestGrab();
    handoff.RequestGrab();
    Deliver(handoff, 0, frame, 4, 2);  // another channel's frame
    EXPECT_TRUE(handoff.IsGrabRequested());
    EXPECT_FALSE(handoff.IsFramePending());

    Deliver(handoff, 1, frame, 4, 2);
    EXPECT_FALSE(handoff.IsGrabRequested());
    Deliver(handoff, 1, frame, 4, 2);  // no request: not copied
    ASSERT_TRUE(recorder.WaitFor(1));
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(recorder.Grabs().size(), 1u);
    EXPECT_EQ(recorder.Grabs()[0].number, 1);
    EXPECT_EQ(recorder.Grabs()[0].firstByte, 7);
}

TEST(GrabHandoff, EachChannelCountsItsOwnGrabs)
{
    Recorder a, b;
    CGrabHandoff channelA(0, a.Function()), channelB(1, b.Function());
    const auto frame = Frame(2, 2, 1);
    for (CGrabHandoff* handoff : {&channelA, &channelB, &channelA}) {
        Recorder& recorder = handoff == &channelA ? a : b;
        const std::size_t before = recorder.Grabs().size();
        handoff->RequestGrab();
        Deliver(*handoff, handoff == &channelA ? 0 : 1, frame, 2, 2);
        ASSERT_TRUE(recorder.WaitFor(before + 1));
    }
    ASSERT_EQ(a.Grabs().size(), 2u);
    EXPECT_EQ(a.Grabs()[1].number, 2);
    EXPECT_EQ(b.Grabs()[0].number, 1);
}

TEST(GrabHandoff, ARequestWhileAFrameIsPendingIsDroppedAndOddFramesWait)
{
    std::atomic<bool> release{false};
    std::atomic<int> grabs{0};
    CGrabHandoff handoff(0, [&](const CapturedFrame&, int) {
        ++grabs;
        while (!release)
            std::this_thread::sleep_for(1ms);
    });
    const auto frame = Frame(2, 2, 0);
    handoff.RequestGrab();
    CGrabHandoff::FrameCallback(0, frame.data(), 2, 2, 32, &handoff);  // not 24 bits: waits for the next
    EXPECT_TRUE(handoff.IsGrabRequested());
    Deliver(handoff, 0, frame, 2, 2);
    while (grabs == 0)
        std::this_thread::sleep_for(1ms);
    handoff.RequestGrab();
    Deliver(handoff, 0, frame, 2, 2);  // the first is still being written
    EXPECT_FALSE(handoff.IsGrabRequested());
    release = true;
    handoff.Stop();
    EXPECT_EQ(grabs, 1);
}

TEST(GrabHandoff, StopFinishesTheGrabUnderWayAndAThrowDoesNotEndTheWorker)
{
    std::atomic<int> started{0}, finished{0};
    auto handoff = std::make_unique<CGrabHandoff>(0, [&](const CapturedFrame&, int number) {
        ++started;
        if (number == 1)
            throw std::runtime_error("disk gone");
        std::this_thread::sleep_for(150ms);
        ++finished;
    });
    const auto frame = Frame(2, 2, 0);
    for (int expected : {1, 2}) {
        while (started < expected) {
            handoff->RequestGrab();  // one made while the last frame is still pending is dropped
            Deliver(*handoff, 0, frame, 2, 2);
            std::this_thread::sleep_for(5ms);
        }
    }
    handoff.reset();  // while the second grab sleeps
    EXPECT_EQ(finished, 1);

    // A frame copied while the worker sleeps is grabbed by Stop, not dropped.
    std::atomic<int> grabs{0};
    CGrabHandoff quick(0, [&](const CapturedFrame&, int) { ++grabs; });
    quick.RequestGrab();
    Deliver(quick, 0, frame, 2, 2);
    quick.Stop();
    EXPECT_EQ(grabs, 1);
}

// A delivery thread at about 2,000 frames a second against a thousand requests: every grab sees
// one whole frame, never a mix of two, and the threads agree without a lock.
TEST(GrabHandoff, StressedByAFastDeliveryThread)
{
    constexpr int kWidth = 64, kHeight = 48;
    std::atomic<bool> wholeFrames{true};
    std::atomic<int> grabs{0};
    CGrabHandoff handoff(0, [&](const CapturedFrame& frame, int) {
        const std::size_t bytes = std::size_t(frame.width) * frame.height * 3;
        for (std::size_t i = 1; i < bytes; ++i) {
            if (frame.pixels[i] != frame.pixels[0])
                wholeFrames = false;
        }
        ++grabs;
    });
    std::atomic<bool> delivering{true};
    std::thread delivery([&] {
        std::vector<std::uint8_t> frame(std::size_t(kWidth) * kHeight * 3);
        for (std::uint8_t n = 0; delivering; ++n) {
            std::fill(frame.begin(), frame.end(), n);
            Deliver(handoff, 0, frame, kWidth, kHeight);
            std::this_thread::sleep_for(500us);
        }
    });
    for (int i = 0; i < 1000; ++i) {
        handoff.RequestGrab();
        std::this_thread::sleep_for(std::chrono::microseconds(200 + (i % 7) * 150));
    }
    std::this_thread::sleep_for(100ms);
    delivering = false;
    delivery.join();
    handoff.Stop();
    EXPECT_TRUE(wholeFrames);
    EXPECT_GT(grabs, 5);
    EXPECT_LT(grabs, 1000) << "a request while a frame waits is consumed, not queued";
}
