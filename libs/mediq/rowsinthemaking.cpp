#include "rowsinthemaking.h"

#include "yuvtobgr.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <algorithm>
#include <system_error>

#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#endif

namespace {

// A new thread often starts on the core of the thread that made it and stays there for
// milliseconds, while here that thread is about to encode and another core idles: the two would
// take turns on one core. The conversion keeps off the maker's core when there is another.
void KeepOffThisCore([[maybe_unused]] std::thread& thread)
{
#ifdef __linux__
    cpu_set_t allowed;
    const int here = sched_getcpu();
    if (here < 0 || sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2
        || !CPU_ISSET(here, &allowed))
        return;
    CPU_CLR(here, &allowed);
    pthread_setaffinity_np(thread.native_handle(), sizeof allowed, &allowed);
#endif
}

}  // namespace

RowsInTheMaking::RowsInTheMaking(SharedFrame frame, std::uint8_t* top, std::ptrdiff_t pitch, std::function<void()> then)
    : m_frame(std::move(frame))
{
    auto work = [this, top, pitch, then = std::move(then)] {
        YuvToBgrInTurn(*m_frame, top, pitch, [this](int rows) { Made(rows); });
        Made(m_frame->height);  // whatever happened, no one waits for ever
        if (then)
            then();
    };
    try {
        m_thread = std::thread(work);
        KeepOffThisCore(m_thread);
    } catch (const std::system_error&) {
        work();
    }
}

RowsInTheMaking::~RowsInTheMaking()
{
    if (m_thread.joinable())
        m_thread.join();
}

void RowsInTheMaking::Made(int rows)
{
    m_made.store(rows, std::memory_order_release);
    m_made.notify_all();
}

void RowsInTheMaking::WaitFor(int rows) const
{
    rows = std::min(rows, m_frame->height);
    for (int made = m_made.load(std::memory_order_acquire); made < rows; made = m_made.load(std::memory_order_acquire))
        m_made.wait(made, std::memory_order_acquire);
}
