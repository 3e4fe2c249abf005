// A frame's picture converted into a bitmap's rows on a thread of its own, from the top row down,
// so that the first rows can be used (a grab encodes them) while the later ones are still being
// made. Used for frames that FrameToBitmap converts straight into the bitmap.
#pragma once

#include "avhandles.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

class RowsInTheMaking {
public:
    // Starts converting frame into the rows from top, pitch bytes apart (negative for a bottom-up
    // bitmap), and then runs then on the same thread (a grab's thumbnail), so that the work beside
    // the caller keeps to one other core. The rows' memory must outlive this object, whose
    // destruction waits for the thread. Without a thread to be had all is done before the
    // constructor returns.
    RowsInTheMaking(SharedFrame frame, std::uint8_t* top, std::ptrdiff_t pitch, std::function<void()> then = {});
    ~RowsInTheMaking();
    RowsInTheMaking(const RowsInTheMaking&) = delete;
    RowsInTheMaking& operator=(const RowsInTheMaking&) = delete;

    // Returns once the first rows (from the top) are made; at once for more rows than the picture has
    // once all are.
    void WaitFor(int rows) const;

private:
    void Made(int rows);

    const SharedFrame m_frame;
    std::atomic<int> m_made{0};
    std::thread m_thread;
};
