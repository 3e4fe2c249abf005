// How a live frame reaches a grab: the Grab command sets a request, the channel's next frame is
// copied by the frame callback, and a worker thread of the controller's writes it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

// One copied frame: width x height pixels of bpp bits (24: blue, green, red), rows packed without
// padding, bottom row first.
struct CapturedFrame {
    std::unique_ptr<std::uint8_t[]> pixels;
    int width = 0;
    int height = 0;
    int bpp = 0;
};

// Three threads meet here, without a lock; the flags carry the hand-off:
// - the user-interface thread constructs and destroys it and calls RequestGrab;
// - the capture library's delivery thread calls OnFrame (through FrameCallback); it writes the frame
//   only while framePending is clear and then sets it (release);
// - the worker thread reads the frame only after it saw framePending set (acquire), hands it to the
//   grab function, frees it and clears framePending (release).
// A request made while a frame is pending or being written is consumed by the next frame without a
// copy: one grab at a time per channel.
class CGrabHandoff {
public:
    // Runs on the worker thread, once per copied frame, to its end; number counts this handoff's
    // grabs from 1. The frame is freed after it returns. It must not throw (a throw is swallowed).
    using GrabFunction = std::function<void(const CapturedFrame& frame, int number)>;

    // Starts the worker at once. channel: frames of other channels are ignored.
    CGrabHandoff(int channel, GrabFunction grab);
    // Stop().
    ~CGrabHandoff();
    CGrabHandoff(const CGrabHandoff&) = delete;
    CGrabHandoff& operator=(const CGrabHandoff&) = delete;

    // User-interface thread.
    void RequestGrab() { m_grabRequested.store(true, std::memory_order_relaxed); }
    bool IsGrabRequested() const { return m_grabRequested.load(std::memory_order_relaxed); }
    bool IsFramePending() const { return m_framePending.load(std::memory_order_acquire); }
    // Ends the worker and waits for it: a grab already running is finished first, and a frame
    // copied but not yet taken is grabbed here, on the calling thread, so that a Grab the user
    // pressed is never dropped at the end. Call it after the frame callback was removed.
    // Idempotent.
    void Stop();

    // The delivery thread: one call at a time. Never throws: a frame that cannot be copied (no
    // memory, a depth other than 24 bits) leaves the request for the next frame.
    void OnFrame(int channel, const std::uint8_t* pixels, int width, int height, int bpp) noexcept;
    // The capture library's frame callback; user is the handoff.
    static int FrameCallback(int channel, const std::uint8_t* pixels, int width, int height, int bpp, void* user);
    // Whether the next frame is wanted at all (a grab is requested): spares the library packing
    // every frame for a callback that ignores almost all of them. Delivery thread.
    static bool FrameWanted(int channel, void* user);

private:
    void Run();
    void RunPendingGrab();

    const int m_channel;
    GrabFunction m_grab;
    std::atomic<bool> m_grabRequested{false};
    std::atomic<bool> m_framePending{false};
    std::atomic<bool> m_running{true};
    CapturedFrame m_frame;  // the delivery thread's while framePending is clear, the worker's while set
    int m_grabCount = 0;    // the worker's
    std::thread m_worker;
};
