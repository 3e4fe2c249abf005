#include "playbackengine.h"

#include "avresult.h"
#include "cvideowidget.h"
#include "graphevents.h"
#include "picture.h"

#include <QImage>
#include <algorithm>
#include <cstring>

namespace {

using Seconds = std::chrono::duration<double>;

// Times in seconds. Every frame is shown, one after the other, while the picture is no later
// than this behind the clock: a decoder a little slower than the rate still shows nearly all.
constexpr double kTolerableLateness = 0.05;
// Further behind, a step passes over frames to catch up, but decodes for no longer than this
// (more the further behind, as skipping more catches up faster), so the picture keeps moving.
constexpr double kShortestStep = 0.05;
constexpr double kLongestStep = 0.12;

double Learn(double estimate, double sample)
{
    return estimate + 0.25 * (sample - estimate);
}

// The size of the picture a frame is shown at: the display picture, made no larger than the widget.
QSize PictureSize(const MediaIndex& index, QSize target)
{
    int displayWidth = 0, displayHeight = 0;
    index.DisplaySize(displayWidth, displayHeight);
    QSize size(displayWidth, displayHeight);
    if (target.width() > 0 && target.height() > 0 && (size.width() > target.width() || size.height() > target.height()))
        size = size.scaled(target, Qt::KeepAspectRatio);
    return size.expandedTo(QSize(1, 1));
}

QImage ToImage(const AVFrame& frame, const MediaIndex& index, QSize target)
{
    const QSize size = PictureSize(index, target);
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
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_source->Abort();  // after the flag, so that the decode it cuts short is not taken for an error
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

void PlaybackEngine::Refresh()
{
    {
        std::lock_guard lock(m_mutex);
        m_refreshPending = true;
    }
    m_wake.notify_all();
}

PlaybackEngine::Figures PlaybackEngine::GetFigures() const
{
    std::lock_guard lock(m_mutex);
    return m_figures;
}

QImage PlaybackEngine::Prepare(std::int64_t frame, QSize target, QString* error)
{
    SharedFrame decoded = m_source->GetFrame(frame, error);
    return decoded ? ToImage(*decoded, m_source->Index(), target) : QImage();
}

bool PlaybackEngine::Deliver(std::int64_t frame, std::uint64_t generation)
{
    const QSize target = m_widget->TargetSize();
    // Pictures made for another size, or for frames no longer next to this one, are of no more use.
    m_prepared.erase(std::remove_if(m_prepared.begin(), m_prepared.end(),
                                    [&](const Prepared& p) { return p.target != target || std::abs(p.frame - frame) > 1; }),
                     m_prepared.end());
    QImage image;
    for (const Prepared& p : m_prepared) {
        if (p.frame == frame)
            image = p.image;
    }
    if (image.isNull()) {
        QString error;
        image = Prepare(frame, target, &error);
        if (image.isNull()) {
            qCWarning(lcMediq) << "playback:" << error;
            return false;
        }
        m_prepared.push_back({frame, target, image});
    }
    m_shownSize = image.size();
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
    const QSize target = m_widget->TargetSize();
    m_preparedAround = around;
    for (const std::int64_t frame : {around + 1, around - 1}) {
        if (frame < 0 || frame >= m_source->Index().FrameCount()
            || std::any_of(m_prepared.begin(), m_prepared.end(),
                           [&](const Prepared& p) { return p.frame == frame && p.target == target; }))
            continue;
        lock.unlock();
        QImage image = Prepare(frame, target, nullptr);
        lock.lock();
        if (!image.isNull())
            m_prepared.push_back({frame, target, std::move(image)});
        if (m_stop || m_seekPending || m_playing || m_refreshPending)
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
    return m_clockStart + std::chrono::duration_cast<Clock::duration>(Seconds(seconds));
}

// The frame under the clock at a time: the last one due by then.
std::int64_t PlaybackEngine::ClockFrame(Clock::time_point at) const
{
    const std::vector<double>& times = m_source->Index().frameTimes;
    // The margin keeps a frame's own due time from rounding to the frame before it.
    const double position = times[std::size_t(m_clockFrame)] + Seconds(at - m_clockStart).count() * m_clockRate + 1e-9;
    const auto after = std::upper_bound(times.begin(), times.end(), position);
    return std::max<std::int64_t>(after - times.begin() - 1, 0);
}

// The frame to show next: the next one, unless it would be shown too late. Then frames whose
// time will have passed by the time one is decoded and converted are passed over (and only what
// the chosen one needs is decoded), but a step never decodes for much longer than a picture may
// stand still: when the decoder cannot keep up, the picture falls behind the clock for a while
// rather than stopping. A keyframe brings it back: when going on would reach the next one late,
// the decoder jumps there (or to a later one the clock has passed) just in time to show it when
// it is due. The costs are those of the steps so far.
std::int64_t PlaybackEngine::PlanStep(Clock::time_point now) const
{
    const std::int64_t last = m_source->Index().FrameCount() - 1;
    const std::int64_t from = std::max<std::int64_t>(m_current, 0);
    const auto in = [now](double seconds) { return now + std::chrono::duration_cast<Clock::duration>(Seconds(seconds)); };
    const Clock::time_point ready = in(m_stepCost + m_showCost);
    std::int64_t target = std::min(from + 1, last);
    if (const double late = Seconds(ready - DueTime(target)).count(); late > kTolerableLateness) {
        const double budget = std::clamp(late / 2, kShortestStep, kLongestStep);
        const std::int64_t span = std::max<std::int64_t>(1, std::int64_t(budget / std::max(m_stepCost, 1e-4)));
        target = std::min(std::clamp(ClockFrame(ready), from + 1, last), from + span);
    }

    const auto nextKey = std::upper_bound(m_keyFrames.begin(), m_keyFrames.end(), from);
    if (nextKey == m_keyFrames.end())
        return target;
    const double untilKey = Seconds(DueTime(*nextKey) - now).count();
    const double goOn = double(*nextKey - from) * m_stepCost + m_showCost;
    const double jump = m_jumpCost + m_showCost;
    if (goOn <= std::max(untilKey, jump))
        return target;  // going on gets there in time, or as soon as a jump would
    // Going on would show the keyframe late. Steps go on while there is time for them; then the
    // jump, to the latest keyframe due by the time it is ready.
    const double slack = untilKey - jump;
    if (slack >= double(target - from) * m_stepCost + m_showCost)
        return target;
    if (const auto fits = std::int64_t((slack - m_showCost) / std::max(m_stepCost, 1e-4)); fits >= 1)
        return std::min(target, from + fits);
    const auto latest = std::upper_bound(m_keyFrames.begin(), m_keyFrames.end(), ClockFrame(in(jump)));
    return latest == m_keyFrames.begin() ? *nextKey : std::max(*nextKey, *std::prev(latest));
}

// One frame while playing, shown at its time; called with the lock held and returns with it held.
void PlaybackEngine::PlayStep(std::unique_lock<std::mutex>& lock)
{
    const MediaIndex& index = m_source->Index();
    const std::int64_t count = index.FrameCount();
    if (m_clockStale) {
        m_clockRate = m_rate;
        RestartClock(std::max<std::int64_t>(m_current, 0));
        m_clockStale = false;
    }
    const std::int64_t from = std::max<std::int64_t>(m_current, 0);
    if (from + 1 >= count) {
        StopPlaying(lock, graphevents::kComplete);
        return;
    }
    const std::uint64_t generation = m_generation;
    const Clock::time_point start = Clock::now();
    const std::int64_t target = PlanStep(start);
    lock.unlock();

    const int seeks = m_source->GetCounters().seeks;
    QString error;
    const SharedFrame decoded = m_source->GetFrame(target, &error, FrameSource::Keep::FrameOnly);
    const Clock::time_point decodedAt = Clock::now();
    std::int64_t show = target;
    QImage image;
    if (decoded) {
        const double cost = Seconds(decodedAt - start).count();
        if (m_source->GetCounters().seeks == seeks)
            m_stepCost = Learn(m_stepCost, cost / double(target - from));
        else if (std::binary_search(m_keyFrames.begin(), m_keyFrames.end(), target))
            m_jumpCost = Learn(m_jumpCost, cost);
        // The newest frame that is due, of those decoded by now (a decoder working on several
        // frames at once may have finished later ones too).
        SharedFrame picture = decoded;
        while (show + 1 < count && DueTime(show + 1) <= Clock::now()) {
            SharedFrame later = m_source->Cache()->Find(show + 1);
            if (!later)
                break;
            picture = std::move(later);
            ++show;
        }
        image = ToImage(*picture, index, m_widget->TargetSize());
        m_showCost = Learn(m_showCost, Seconds(Clock::now() - decodedAt).count());
    }

    lock.lock();
    if (!decoded) {
        if (m_stop)
            return;
        qCWarning(lcMediq) << "playback stopped:" << error;
        StopPlaying(lock, graphevents::kErrorAbort);
        return;
    }
    const auto interrupted = [this] { return m_stop || m_seekPending || !m_playing || m_clockStale; };
    if (interrupted() || m_wake.wait_until(lock, DueTime(show), interrupted))
        return;  // a command came first; the frame is not shown and not passed
    m_figures.due += std::uint64_t(show - from);
    m_current = show;
    if (!image.isNull()) {
        // In time: before the frame after it was due.
        if (show + 1 >= count || Clock::now() <= DueTime(show + 1))
            ++m_figures.shown;
        m_shownSize = image.size();
        m_widget->OfferFrame(std::move(image), show, generation);
    }
}

void PlaybackEngine::Run()
{
    const MediaIndex& index = m_source->Index();
    const std::int64_t count = index.FrameCount();
    for (std::uint32_t packet = 0; packet < index.packets.size(); ++packet) {
        const std::int32_t frame = index.decodeToDisplay[packet];
        if (index.packets[packet].IsKey() && frame >= 0 && index.StartPacketFor(frame) == packet)
            m_keyFrames.push_back(frame);
    }
    std::sort(m_keyFrames.begin(), m_keyFrames.end());

    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_seekPending || m_playing || m_refreshPending || NeedsPrefetch(); });
        if (m_stop)
            return;
        if (m_seekPending) {
            // A seek: the frame asked for, shown at once, whether playing or not.
            m_seekPending = false;
            m_refreshPending = false;  // it is made for the present size anyway
            const std::uint64_t generation = m_generation;
            const std::int64_t frame = std::clamp<std::int64_t>(m_seekFrame, 0, count - 1);
            lock.unlock();
            const bool shown = Deliver(frame, generation);
            lock.lock();
            m_current = frame;
            m_clockStale = true;
            if (!shown && m_playing)
                StopPlaying(lock, graphevents::kErrorAbort);
        } else if (m_playing) {
            m_refreshPending = false;  // every frame is made for the present size
            PlayStep(lock);
        } else if (m_refreshPending) {
            m_refreshPending = false;
            if (m_current >= 0 && PictureSize(index, m_widget->TargetSize()) != m_shownSize) {
                const std::uint64_t generation = m_generation;
                const std::int64_t frame = m_current;
                lock.unlock();
                Deliver(frame, generation);
                lock.lock();
                m_preparedAround = -1;  // and its neighbours again, at this size
            }
        } else {
            Prefetch(lock);
        }
    }
}
