#include "grabhandoff.h"

#include <chrono>
#include <cstring>
#include <new>

namespace {
// How often the worker looks for a copied frame: a frame waits at most this long for its grab.
constexpr auto kPollInterval = std::chrono::milliseconds(40);
}  // namespace

CGrabHandoff::CGrabHandoff(int channel, GrabFunction grab) : m_channel(channel), m_grab(std::move(grab))
{
    m_worker = std::thread(&CGrabHandoff::Run, this);
}

CGrabHandoff::~CGrabHandoff()
{
    Stop();
}

void CGrabHandoff::Stop()
{
    m_running.store(false, std::memory_order_release);
    if (m_worker.joinable())
        m_worker.join();
    // The worker is gone: this thread owns the frame now.
    if (m_framePending.load(std::memory_order_acquire))
        RunPendingGrab();
}

void CGrabHandoff::RunPendingGrab()
{
    try {
        m_grab(m_frame, ++m_grabCount);
    } catch (...) {
        // The grab reports its own failures; a throw must not end the worker.
    }
    m_frame.pixels.reset();
    m_framePending.store(false, std::memory_order_release);
}

bool CGrabHandoff::FrameWanted(int channel, void* user)
{
    const auto* handoff = static_cast<const CGrabHandoff*>(user);
    return channel == handoff->m_channel && handoff->IsGrabRequested();
}

void CGrabHandoff::OnFrame(int channel, const std::uint8_t* pixels, int width, int height, int bpp) noexcept
{
    if (channel != m_channel || !m_grabRequested.load(std::memory_order_relaxed))
        return;
    if (m_framePending.load(std::memory_order_acquire)) {
        m_grabRequested.store(false, std::memory_order_relaxed);  // one grab at a time
        return;
    }
    if (bpp != 24 || width <= 0 || height <= 0 || !pixels)
        return;
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * 3;
    std::unique_ptr<std::uint8_t[]> copy(new (std::nothrow) std::uint8_t[bytes]);
    if (!copy)
        return;
    std::memcpy(copy.get(), pixels, bytes);
    m_frame = CapturedFrame{std::move(copy), width, height, bpp};
    m_grabRequested.store(false, std::memory_order_relaxed);
    m_framePending.store(true, std::memory_order_release);
}

int CGrabHandoff::FrameCallback(int channel, const std::uint8_t* pixels, int width, int height, int bpp, void* user)
{
    static_cast<CGrabHandoff*>(user)->OnFrame(channel, pixels, width, height, bpp);
    return 0;
}

void CGrabHandoff::Run()
{
    while (m_running.load(std::memory_order_acquire)) {
        if (m_framePending.load(std::memory_order_acquire))
            RunPendingGrab();
        std::this_thread::sleep_for(kPollInterval);
    }
}
