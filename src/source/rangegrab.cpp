#include "rangegrab.h"

#include "csysref.h"
#include "framesource.h"
#include "picture.h"

#include <QLoggingCategory>
#include <QMetaObject>
#include <QScopedValueRollback>
#include <algorithm>
#include <cmath>

namespace {

Q_LOGGING_CATEGORY(lcRangeGrab, "kestivo.source.range", QtInfoMsg)

std::atomic<int> g_encoderThreads{0};

int EncoderThreads()
{
    if (const int forced = g_encoderThreads.load(); forced > 0)
        return forced;
    // Writing a picture (conversion, encoding, thumbnail) costs several times its decoding: as
    // many writers as cores keep the decoder the limit; more would only hold more frames.
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

}  // namespace

std::vector<std::int64_t> RangeFrames(const RangeChoice& choice)
{
    const std::int64_t in = std::min(choice.in, choice.out);
    const std::int64_t out = std::max(choice.in, choice.out);
    std::vector<std::int64_t> frames;
    switch (choice.mode) {
    case RangeChoice::Mode::EveryFrame:
    case RangeChoice::Mode::EveryKth: {
        const std::int64_t step = choice.mode == RangeChoice::Mode::EveryFrame ? 1 : std::max<std::uint32_t>(choice.step, 1);
        for (std::int64_t frame = in; frame <= out; frame += step)
            frames.push_back(frame);
        break;
    }
    case RangeChoice::Mode::EvenlySpaced: {
        const std::int64_t count = std::clamp<std::int64_t>(choice.count, 1, out - in + 1);
        for (std::int64_t i = 0; i < count; ++i) {
            // Rounded to the nearest frame: ends on Out exactly, gaps differing by one at most.
            const std::int64_t frame = count == 1 ? in : in + std::llround(double(i) * double(out - in) / double(count - 1));
            if (frames.empty() || frames.back() != frame)
                frames.push_back(frame);
        }
        break;
    }
    }
    return frames;
}

void CRangeGrab::SetEncoderThreadsForTesting(int threads)
{
    g_encoderThreads.store(threads);
}

CRangeGrab::CRangeGrab(const QString& video, const MediaIndex& index, std::vector<std::int64_t> frames,
                       GrabDestination to, ClipSink sink, QObject* parent)
    : QObject(parent), m_video(video), m_index(index), m_frames(std::move(frames)), m_to(std::move(to)),
      m_sink(std::move(sink))
{
    const int writers = EncoderThreads();
    // Two decoded frames waiting per writer: enough that a writer never waits for the decoder's
    // bursts, few enough that a 4K run holds well under a hundred megabytes.
    m_queueLimit = std::size_t(writers) * 2;
    m_running = writers + 1;
    m_threads.emplace_back([this] { Decode(); });
    for (int i = 0; i < writers; ++i)
        m_threads.emplace_back([this] { Encode(); });
}

CRangeGrab::~CRangeGrab()
{
    blockSignals(true);  // whoever listens may be going too; the sink still takes the items
    Stop(QString());
    for (std::thread& thread : m_threads)
        thread.join();
    m_threads.clear();
    DeliverInOrder(true);
}

void CRangeGrab::Cancel()
{
    Stop(QString());
}

// Any thread. The first failure is the one reported; a cancel is none.
void CRangeGrab::Stop(const QString& why)
{
    {
        const std::lock_guard lock(m_mutex);
        if (!why.isEmpty() && m_threadError.isEmpty())
            m_threadError = why;
        if (m_source)
            m_source->Abort();  // a long decode between wanted frames gives up at the next packet
        m_stop = true;
    }
    m_canPush.notify_all();
    m_canPop.notify_all();
}

void CRangeGrab::Decode()
{
    QString error;
    // A small cache: the run hands its frames straight on and never asks for one again.
    std::unique_ptr<FrameSource> source =
        FrameSource::Open(m_video, {}, error, std::make_shared<FrameCache>(std::size_t(64) << 20), false, &m_index);
    if (source) {
        {
            const std::lock_guard lock(m_mutex);
            m_source = m_stop ? nullptr : source.get();
        }
        if (!m_stop) {
            const bool done = source->DecodeForward(m_frames, [this](std::int64_t frame, SharedFrame picture) {
                // Its place in the run: a frame the forward pass could not give comes later, on its own.
                const auto seq = std::size_t(std::lower_bound(m_frames.begin(), m_frames.end(), frame) - m_frames.begin());
                std::unique_lock lock(m_mutex);
                m_canPush.wait(lock, [this] { return m_stop || m_queue.size() < m_queueLimit; });
                if (m_stop)
                    return false;
                m_queue.push_back(Job{seq, std::move(picture)});
                m_canPop.notify_one();
                return true;
            }, &error);
            if (!done && !m_stop)
                Stop(error);
        }
        const std::lock_guard lock(m_mutex);
        m_source = nullptr;
    } else {
        Stop(error);
    }
    {
        const std::lock_guard lock(m_mutex);
        m_decodeDone = true;
    }
    m_canPop.notify_all();
    ThreadEnded();
}

void CRangeGrab::Encode()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_canPop.wait(lock, [this] { return m_stop || !m_queue.empty() || m_decodeDone; });
            if (m_stop || m_queue.empty())
                break;  // frames still queued at a stop are dropped: nothing of theirs was written
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        m_canPush.notify_one();
        Written written = WriteOne(job);
        job.picture.reset();
        if (!written.item)
            Stop(written.error);
        Post(job.seq, std::move(written));
    }
    ThreadEnded();
}

CRangeGrab::Written CRangeGrab::WriteOne(const Job& job) const
{
    const std::int64_t frame = m_frames[job.seq];
    int width = 0, height = 0;
    m_index.DisplaySize(width, height);
    Written written;
    CImage image;
    if (!image.Attach(FrameToBitmap(*job.picture, width, height, m_index.rotation, &written.error))) {
        written.error = CRangeGrab::tr("Frame %1 could not be grabbed: %2").arg(frame).arg(written.error);
        return written;
    }
    const QString timecode = CSysRef(m_index.frameRate).FrameToTCString(std::uint32_t(frame));
    written.item = SaveVideoGrab(image, m_video, std::uint32_t(frame), timecode, m_to, &written.error);
    if (written.item) {
        const std::unique_ptr<std::uint8_t[]> block =
            FrameToThumbBlock(*job.picture, width, height, m_index.rotation, kGrabThumbWidth, kGrabThumbHeight);
        SetGrabThumbnail(*written.item, block.get());
    }
    return written;
}

void CRangeGrab::Post(std::size_t seq, Written written)
{
    {
        const std::lock_guard lock(m_mutex);
        m_outbox.emplace(seq, std::move(written));
    }
    // One call on its way at a time: the user-interface thread takes all that is there.
    if (!m_deliveryPosted.exchange(true))
        QMetaObject::invokeMethod(this, &CRangeGrab::Deliver, Qt::QueuedConnection);
}

void CRangeGrab::ThreadEnded()
{
    if (--m_running == 0)
        QMetaObject::invokeMethod(this, &CRangeGrab::Deliver, Qt::QueuedConnection);
}

void CRangeGrab::Deliver()
{
    if (m_finished)
        return;
    if (m_delivering) {
        // Called again from inside a delivery (a modal progress dialog lets events through while
        // it updates): the outer call is not done with its state, so this one waits its turn.
        QMetaObject::invokeMethod(this, &CRangeGrab::Deliver, Qt::QueuedConnection);
        return;
    }
    const QScopedValueRollback delivering(m_delivering, true);
    m_deliveryPosted = false;
    const bool ended = m_running.load() == 0;
    if (ended) {
        for (std::thread& thread : m_threads)
            thread.join();  // each has returned or is returning: no wait to speak of
        m_threads.clear();
    }
    DeliverInOrder(ended);
    if (!ended)
        return;
    m_finished = true;
    qCInfo(lcRangeGrab) << "range grab of" << m_video << "ended:" << m_delivered << "of" << Total() << "frames"
                        << (m_error.isEmpty() ? QString() : m_error);
    Q_EMIT finished();
}

void CRangeGrab::DeliverInOrder(bool all)
{
    {
        const std::lock_guard lock(m_mutex);
        m_ready.merge(m_outbox);
        if (m_error.isEmpty())
            m_error = m_threadError;
    }
    const int before = m_delivered;
    // Before the end, a frame waits for every earlier one; at the end the gaps are frames that were
    // dropped or failed, and nothing more is coming.
    while (!m_ready.empty() && (all || m_ready.begin()->first == m_next)) {
        auto node = m_ready.extract(m_ready.begin());
        m_next = node.key() + 1;
        if (node.mapped().item) {
            ++m_delivered;
            if (m_sink)
                m_sink(std::move(node.mapped().item));
        }
    }
    if (m_delivered != before)
        Q_EMIT progress(m_delivered, Total());
}
