// The decode thread of a playback graph: fetches frames from its own frame source (sharing the
// frame cache with the file's other readers), paces them by their timestamps at the rate, and
// offers them to the video widget. When decoding cannot keep up with the clock, the picture
// follows the clock rather than every frame: frames whose time has passed are left out, and a far
// lag is made up at the next keyframe.
#pragma once

#include "framesource.h"

#include <QImage>
#include <vector>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class CVideoWidget;

// Commands come from the user-interface thread; the thread runs until the engine is destroyed.
// The widget must outlive the engine. sink is called on the decode thread with event codes.
class PlaybackEngine {
public:
    using EventSink = std::function<void(long code)>;

    PlaybackEngine(std::unique_ptr<FrameSource> source, CVideoWidget* widget, EventSink sink);
    // Stops the thread and waits for it (at most one frame's decoding).
    ~PlaybackEngine();
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Shows frame (and plays on from it when playing). generation tags the frames it leads to.
    void Seek(std::int64_t frame, std::uint64_t generation);
    void Play();
    void Pause();
    bool IsPlaying() const { return m_playing.load(); }
    // Any positive factor; the clock restarts from the current frame.
    void SetRate(double rate);
    // While paused: the frame shown is made again for the widget's present size, when that gives a
    // picture of another size (the widget grew, say, and the picture would be stretched).
    void Refresh();

    // Playback figures: frames whose time came while playing, and of those the ones shown in
    // time (before the next frame was due).
    struct Figures {
        std::uint64_t due = 0;
        std::uint64_t shown = 0;
    };
    Figures GetFigures() const;

private:
    using Clock = std::chrono::steady_clock;

    void Run();
    void PlayStep(std::unique_lock<std::mutex>& lock);
    std::int64_t PlanStep(Clock::time_point now) const;
    std::int64_t ClockFrame(Clock::time_point at) const;
    bool Deliver(std::int64_t frame, std::uint64_t generation);
    QImage Prepare(std::int64_t frame, QSize target, QString* error);
    bool NeedsPrefetch() const;
    void Prefetch(std::unique_lock<std::mutex>& lock);
    void RestartClock(std::int64_t frame);
    // Ends playing and reports event (graphevents) to the sink; called and returns with lock held.
    void StopPlaying(std::unique_lock<std::mutex>& lock, long event);
    Clock::time_point DueTime(std::int64_t frame) const;

    std::unique_ptr<FrameSource> m_source;
    CVideoWidget* m_widget;
    EventSink m_sink;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_seekPending = false;
    std::int64_t m_seekFrame = 0;
    std::uint64_t m_generation = 0;
    double m_rate = 1.0;
    bool m_clockStale = true;
    bool m_refreshPending = false;
    std::atomic<bool> m_playing{false};
    Figures m_figures;

    // Decode thread only.
    std::int64_t m_current = -1;
    QSize m_shownSize;  // the size of the picture last offered
    std::vector<std::int64_t> m_keyFrames;  // frames that decoding can start at, ascending
    // What playing costs here, learnt as it plays (seconds): going on, per frame passed; a jump to
    // a keyframe, whole.
    double m_stepCost = 0;
    double m_jumpCost = 0.05;
    double m_showCost = 0;  // converting a picture for the widget
    // While paused, the pictures of the frames next to the one shown are made ahead, so that a
    // step either way only has to hand one over.
    struct Prepared {
        std::int64_t frame;
        QSize target;  // the widget size it was made for
        QImage image;
    };
    std::vector<Prepared> m_prepared;
    std::int64_t m_preparedAround = -1;
    std::int64_t m_clockFrame = 0;
    Clock::time_point m_clockStart;
    double m_clockRate = 1.0;

    std::thread m_thread;  // last: started when everything else exists
};
