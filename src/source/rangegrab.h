// The range grab: chosen frames of a video written as grabs, each exactly as a single grab of that
// frame would be. A thread of its own decodes the frames in one forward pass (its own FrameSource,
// so the source's player and cache are left alone) into a bounded queue; a small pool of encoder
// threads writes them; the items reach the clip sink on the user-interface thread in frame order.
#pragma once

#include "grabwriter.h"
#include "mediaindex.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "avhandles.h"

class FrameSource;

// Which frames between the In and Out marks (both included).
struct RangeChoice {
    enum class Mode { EveryFrame, EveryKth, EvenlySpaced };
    Mode mode = Mode::EveryFrame;
    std::uint32_t in = 0;
    std::uint32_t out = 0;
    std::uint32_t step = 1;   // EveryKth: every step-th frame from In on
    std::uint32_t count = 2;  // EvenlySpaced: this many, In and Out among them when count > 1
};

// The frames the choice names, ascending and distinct (In and Out swapped when reversed).
std::vector<std::int64_t> RangeFrames(const RangeChoice& choice);

// Lives on the user-interface thread; its threads never touch Qt objects but for a queued call.
class CRangeGrab : public QObject {
    Q_OBJECT
public:
    using ClipSink = std::function<void(std::unique_ptr<CClipObj>)>;

    // Starts at once. index: the open file's (copied: the file is not indexed again). frames:
    // ascending. The sink receives the items, in frame order, and owns them.
    CRangeGrab(const QString& video, const MediaIndex& index, std::vector<std::int64_t> frames, GrabDestination to,
               ClipSink sink, QObject* parent = nullptr);
    // Stops and joins the threads, then delivers what was written: no file without its item.
    ~CRangeGrab() override;

    // Stops decoding and drops frames not yet being written; those being written are finished and
    // delivered (a frame takes milliseconds), so no partial file remains. finished() follows.
    void Cancel();

    int Total() const { return int(m_frames.size()); }
    int Delivered() const { return m_delivered; }
    bool IsFinished() const { return m_finished; }
    // Why the run stopped early, empty when it did not fail (a cancel is no failure).
    QString Error() const { return m_error; }

    // Tests and benchmarks: encoder threads to use (0: as many as there are cores, at most four).
    static void SetEncoderThreadsForTesting(int threads);

Q_SIGNALS:
    void progress(int delivered, int total);
    // Every thread has ended and every written frame's item has been delivered.
    void finished();

private:
    struct Job {
        std::size_t seq;
        SharedFrame picture;
    };
    struct Written {
        std::unique_ptr<CClipObj> item;  // null when the frame could not be written
        QString error;
    };
    void Decode();
    void Encode();
    Written WriteOne(const Job& job) const;
    void Post(std::size_t seq, Written written);
    void Stop(const QString& why);
    void ThreadEnded();
    // User-interface thread: hands over what is ready, in order; all of it once the threads ended.
    void Deliver();
    void DeliverInOrder(bool all);

    const QString m_video;
    const MediaIndex m_index;
    const std::vector<std::int64_t> m_frames;
    const GrabDestination m_to;
    ClipSink m_sink;

    std::mutex m_mutex;  // guards the queue, the outbox and m_threadError
    std::condition_variable m_canPush, m_canPop;
    std::deque<Job> m_queue;
    std::size_t m_queueLimit = 4;
    bool m_decodeDone = false;
    std::map<std::size_t, Written> m_outbox;
    QString m_threadError;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_deliveryPosted{false};
    std::atomic<int> m_running{0};
    std::vector<std::thread> m_threads;
    FrameSource* m_source = nullptr;  // the decode thread's, while it decodes (guarded by m_mutex)

    // User-interface thread only.
    std::map<std::size_t, Written> m_ready;
    std::size_t m_next = 0;
    int m_delivered = 0;
    bool m_finished = false;
    bool m_delivering = false;
    QString m_error;
};
