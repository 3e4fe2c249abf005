#include "cdsgraph.h"

#include "graphevents.h"
#include "playbackengine.h"

#include <QCoreApplication>

CDSGraph::CDSGraph() = default;

CDSGraph::~CDSGraph()
{
    Release();
}

void CDSGraph::Release()
{
    if (m_shared) {
        // No more notifications, even from a frame still being decoded.
        std::lock_guard lock(m_shared->mutex);
        m_shared->notify = nullptr;
    }
    m_engine.reset();  // joins the decode thread before the widget it offers frames to goes
    delete m_widget.data();
    m_shared.reset();
}

int CDSGraph::Init(const QString& path, QWidget* videoWindow, QObject* notify, std::shared_ptr<FrameCache> cache,
                   const MediaIndex* index)
{
    QString error;
    std::unique_ptr<FrameSource> source = FrameSource::Open(path, {}, error, std::move(cache), true, index);
    if (!source) {
        m_error = error;
        return -1;
    }
    Release();
    m_widget = new CVideoWidget(videoWindow);
    SetVideoWindow(videoWindow);
    m_shared = std::make_shared<Shared>();
    m_shared->notify = notify;
    m_notify = notify;
    std::weak_ptr<Shared> shared = m_shared;
    m_engine = std::make_unique<PlaybackEngine>(std::move(source), m_widget, [shared](long code) {
        const std::shared_ptr<Shared> s = shared.lock();
        if (!s)
            return;
        std::lock_guard lock(s->mutex);
        s->events.push_back(code);
        if (s->notify)
            QCoreApplication::postEvent(s->notify, new QEvent(graphevents::kGraphNotify));
    });
    QObject::connect(m_widget, &CVideoWidget::pictureSizeOutdated, m_widget,
                     [engine = m_engine.get()] { engine->Refresh(); });
    m_error.clear();
    return 0;
}

int CDSGraph::SeekTo(std::int64_t frame)
{
    if (!m_engine)
        return -1;
    m_widget->AcceptGeneration(++m_generation);
    m_engine->Seek(frame, m_generation);
    return 0;
}

int CDSGraph::Play()
{
    if (!m_engine)
        return -1;
    m_engine->Play();
    return 0;
}

int CDSGraph::Pause()
{
    if (!m_engine)
        return -1;
    m_engine->Pause();
    return 0;
}

int CDSGraph::Stop()
{
    return Pause();
}

bool CDSGraph::IsPlaying() const
{
    return m_engine && m_engine->IsPlaying();
}

std::int64_t CDSGraph::GetCurFrame() const
{
    return m_widget ? std::max<std::int64_t>(m_widget->CurrentFrame(), 0) : 0;
}

int CDSGraph::SetRate(double rate)
{
    if (!m_engine || !(rate > 0))
        return -1;
    m_engine->SetRate(rate);
    return 0;
}

int CDSGraph::SetVideoWindow(QWidget* videoWindow)
{
    if (!m_widget || !videoWindow)
        return -1;
    if (m_widget->parentWidget() != videoWindow)
        m_widget->setParent(videoWindow);
    m_widget->setGeometry(videoWindow->rect());
    m_widget->show();
    return 0;
}

void CDSGraph::ProcessGraphEvents(EventCallback callback)
{
    if (!m_shared)
        return;
    std::deque<long> events;
    {
        std::lock_guard lock(m_shared->mutex);
        events.swap(m_shared->events);
    }
    for (const long code : events) {
        if (callback)
            callback(m_notify, code, 0, 0);
    }
}

void CDSGraph::GetPlaybackFigures(std::uint64_t& due, std::uint64_t& shown) const
{
    due = shown = 0;
    if (!m_engine)
        return;
    const PlaybackEngine::Figures figures = m_engine->GetFigures();
    due = figures.due;
    shown = figures.shown;
}
