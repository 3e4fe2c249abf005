#include "playbackengine.h"

#include "avresult.h"
#include "cvideowidget.h"
#include "graphevents.h"
#include "picture.h"

#include <QImage>
#include <algorithm>
#include <cstring>

namespace {

// The frame as an image of the display picture, no larger than the widget needs.
QImage ToImage(const AVFrame& frame, const MediaIndex& index, QSize target)
{
    int displayWidth = 0, displayHeight = 0;
    index.DisplaySize(displayWidth, displayHeight);
    QSize size(displayWidth, displayHeight);
    if (target.width() > 0 && target.height() > 0 && (size.width() > target.width() || size.height() > target.height()))
        size = size.scaled(target, Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));
    if (index.rotation == 0) {
        QImage image(size, QImage::Format_RGB32);
        if (!ScaleForDisplay(frame, size.width(), size.height(), image.bits(), int(image.bytesPerLine())))
            return {};
        return image;
    }
    QImage image(size, QImage::Format_BGR888);
    std::vector<std::uint8_t> bgr;
    if (!DisplayPicture(frame, size.width(), size.height(), index.rotation, bgr))
        return {};
    for (int y = 0; y < size.height(); ++y)
        std::memcpy(image.scanLine(y), &bgr[std::size_t(y) * std::size_t(size.width()) * 3], std::size_t(size.width()) * 3);
    return image;
}

}  // namespace

// The sink is called without the lock: it may post to the user-interface thread, which may be
// waiting for the lock to send a command.
void PlaybackEngine::StopPlaying(std::unique_lock<std::mutex>& lock, long event)
{
    m_playing = false;
    lock.unlock();
    m_sink(event);
    lock.lock();
}

PlaybackEngine::PlaybackEngine(std::unique_ptr<FrameSource> source, CVideoWidget* widget, EventSink sink)
    : m_source(std::move(source)), m_widget(widget), m_sink(std::move(sink)), m_thread([this] { Run(); })
{
}

PlaybackEngine::~PlaybackEngine()
{
    m_source->Abort();
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void PlaybackEngine::Seek(std::int64_t frame, std::uint64_t generation)
{
    {
        std::lock_guard lock(m_mutex);
        m_seekPending = true;
        m_seekFrame = frame;
        m_generation = generation;
    }
    m_wake.notify_all();
}

void PlaybackEngine::Play()
{
    {
        std::lock_guard lock(m_mutex);
        m_playing = true;
        m_clockStale = true;
    }
    m_wake.notify_all();
}

void PlaybackEngine::Pause()
{
    {
        std::lock_guard lock(m_mutex);
        m_playing = false;
    }
    m_wake.notify_all();
}

void PlaybackEngine::SetRate(double rate)
{
    if (!(rate > 0))
        return;
    // The caller's rate has no limits; beyond these the clock's arithmetic would overflow and
    // nothing could be seen anyway.
    rate = std::clamp(rate, 1.0 / 64, 64.0);
    {
        std::lock_guard lock(m_mutex);
        m_rate = rate;
        m_clockStale = true;
    }
    m_wake.notify_all();
}

PlaybackEngine::Figures PlaybackEngine::GetFigures() const
{
    std::lock_guard lock(m_mutex);
    return m_figures;
}

QImage PlaybackEngine::Prepare(std::int64_t frame, QString* error)
{
    SharedFrame decoded = m_source->GetFrame(frame, error);
    return decoded ? ToImage(*decoded, m_source->Index(), m_widget->TargetSize()) : QImage();
}

bool PlaybackEngine::Deliver(std::int64_t frame, std::uint64_t generation)
{
    QImage image;
    for (Prepared& p : m_prepared) {
        if (p.frame == frame && p.target == m_widget->TargetSize())
            image = p.image;
    }
    if (image.isNull()) {
        QString error;
        image = Prepare(frame, &error);
        if (image.isNull()) {
            qCWarning(lcMediq) << "playback:" << error;
            return false;
        }
    }
    m_prepared.erase(std::remove_if(m_prepared.begin(), m_prepared.end(),
                                    [frame](const Prepared& p) { return std::abs(p.frame - frame) > 1; }),
                     m_prepared.end());
    if (std::none_of(m_prepared.begin(), m_prepared.end(), [frame](const Prepared& p) { return p.frame == frame; }))
        m_prepared.push_back({frame, m_widget->TargetSize(), image});
    m_widget->OfferFrame(std::move(image), frame, generation);
    return true;
}

bool PlaybackEngine::NeedsPrefetch() const
{
    return !m_playing && m_current >= 0 && m_preparedAround != m_current;
}

void PlaybackEngine::Prefetch(std::unique_lock<std::mutex>& lock)
{
    const std::int64_t around = m_current;
    m_preparedAround = around;
    for (const std::int64_t frame : {around + 1, around - 1}) {
        if (frame < 0 || frame >= m_source->Index().FrameCount()
            || std::any_of(m_prepared.begin(), m_prepared.end(), [frame](const Prepared& p) { return p.frame == frame; }))
            continue;
        const QSize target = m_widget->TargetSize();
        lock.unlock();
        QImage image = Prepare(frame, nullptr);
        lock.lock();
        if (!image.isNull())
            m_prepared.push_back({frame, target, std::move(image)});
        if (m_stop || m_seekPending || m_playing)
            return;  // a command comes first
    }
}

void PlaybackEngine::RestartClock(std::int64_t frame)
{
    m_clockFrame = frame;
    m_clockStart = Clock::now();
}

PlaybackEngine::Clock::time_point PlaybackEngine::DueTime(std::int64_t frame) const
{
    const std::vector<double>& times = m_source->Index().frameTimes;
    const double seconds = (times[std::size_t(frame)] - times[std::size_t(m_clockFrame)]) / m_clockRate;
    return m_clockStart + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

void PlaybackEngine::Run()
{
    const std::int64_t count = m_source->Index().FrameCount();
    const double frameSeconds = 1.0 / m_source->Index().frameRate;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_seekPending || m_playing || NeedsPrefetch(); });
        if (m_stop)
            return;
        if (!m_seekPending && !m_playing) {
            Prefetch(lock);
            continue;
        }
        const std::uint64_t generation = m_generation;
        if (m_seekPending) {
            // A seek: the frame asked for, shown at once, whether playing or not.
            m_seekPending = false;
            const std::int64_t frame = std::clamp<std::int64_t>(m_seekFrame, 0, count - 1);
            lock.unlock();
            const bool shown = Deliver(frame, generation);
            lock.lock();
            m_current = frame;
            m_clockStale = true;
            if (!shown && m_playing) {
                StopPlaying(lock, graphevents::kErrorAbort);
            }
            continue;
        }
        // Playing: the next frame, at its time.
        if (m_clockStale) {
            m_clockRate = m_rate;
            RestartClock(std::max<std::int64_t>(m_current, 0));
            m_clockStale = false;
        }
        const std::int64_t next = m_current + 1;
        if (next >= count) {
            StopPlaying(lock, graphevents::kComplete);
            continue;
        }
        const Clock::time_point due = DueTime(next);
        const auto frameLength = std::chrono::duration<double>(frameSeconds / m_clockRate);
        lock.unlock();
        // Decoded ahead of its time; converted only when it can still be shown in time.
        QString error;
        SharedFrame decoded = m_source->GetFrame(next, &error);
        QImage image;
        if (decoded && Clock::now() <= due + frameLength)
            image = ToImage(*decoded, m_source->Index(), m_widget->TargetSize());
        lock.lock();
        if (!decoded) {
            qCWarning(lcMediq) << "playback stopped:" << error;
            StopPlaying(lock, graphevents::kErrorAbort);
            continue;
        }
        const auto interrupted = [this] { return m_stop || m_seekPending || !m_playing || m_clockStale; };
        if (interrupted() || m_wake.wait_until(lock, due, interrupted))
            continue;  // a command came first; the frame is not shown and not passed
        ++m_figures.due;
        m_current = next;
        if (!image.isNull() && Clock::now() <= due + frameLength) {
            m_widget->OfferFrame(std::move(image), next, generation);
            ++m_figures.shown;
        }
    }
}
