// The playback graph: renders one video file into a video area, seeks, plays at a rate and
// reports events. What is shown comes from the same frame-exact source as the grab.
#pragma once

#include "cvideowidget.h"
#include "framecache.h"
#include "mediaindex.h"

#include <QPointer>
#include <QString>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

class PlaybackEngine;
class QObject;

// User-interface thread only. Events are queued by the decode thread; a QEvent of type
// graphevents::kGraphNotify is posted to the notify object whenever some are waiting, and
// ProcessGraphEvents hands them to the callback on the calling thread.
class CDSGraph {
public:
    using EventCallback = void (*)(QObject* notify, long code, long param1, long param2);

    CDSGraph();
    ~CDSGraph();  // stops the decode thread and waits for it
    CDSGraph(const CDSGraph&) = delete;
    CDSGraph& operator=(const CDSGraph&) = delete;

    // Opens path and shows its video in a video widget filling videoWindow; replaces any earlier
    // file. cache: the frame cache of the file's other reader (CFileInfo), so that both share
    // decoded frames. Returns 0 on success, -1 with the reason in GetLastError().
    // index: the file's index when the caller has it already, so the file is not indexed twice.
    int Init(const QString& path, QWidget* videoWindow, QObject* notify,
             std::shared_ptr<FrameCache> cache = nullptr, const MediaIndex* index = nullptr);
    QString GetLastError() const { return m_error; }

    int SeekTo(std::int64_t frame);
    int Play();
    int Pause();
    int Stop();  // stops playing where it is; the caller rewinds if it wants to
    bool IsPlaying() const;
    std::int64_t GetCurFrame() const;  // the frame on screen
    int SetRate(double rate);
    int SetVideoWindow(QWidget* videoWindow);
    void ProcessGraphEvents(EventCallback callback);

    CVideoWidget* VideoWidget() const { return m_widget; }
    // Frames due while playing, and of those the ones shown in time.
    void GetPlaybackFigures(std::uint64_t& due, std::uint64_t& shown) const;

private:
    void Release();

    QString m_error;
    QPointer<CVideoWidget> m_widget;
    QPointer<QObject> m_notify;
    std::unique_ptr<PlaybackEngine> m_engine;
    std::uint64_t m_generation = 0;

    struct Shared {
        std::mutex mutex;
        std::deque<long> events;
        QObject* notify = nullptr;  // cleared under the mutex before the notify object may go
    };
    std::shared_ptr<Shared> m_shared;  // outlives a decode thread that is still posting
};
