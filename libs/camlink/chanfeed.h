// Where a channel's frames go: the frame callback (on the streaming thread) and the channel's view
// (through a one-slot mailbox and a queued call to the user-interface thread).
#pragma once

#include "ccapbase.h"
#include "chanview.h"

#include <gst/app/gstappsink.h>

#include <QObject>
#include <QPointer>
#include <atomic>
#include <mutex>
#include <vector>

// Lives on the user-interface thread for the life of the CCapBase; the appsink's streaming thread
// calls OnNewSample. Ownership of a frame: the appsink's sample is pulled by OnNewSample; its
// pixels are copied into m_packed (owned here, handed to the callback for the call's duration);
// the sample itself goes into the mailbox, replacing (and releasing) an older one that was not
// shown; Deliver takes it out and hands it to the view, which owns it from then on.
class CChanFeed : public QObject {
    Q_OBJECT
public:
    explicit CChanFeed(int channel, QObject* parent = nullptr);
    ~CChanFeed() override;

    // User-interface thread. Waits for a callback that is running; it is not called again after.
    void SetCallback(CapFrameCallback callback, void* user, CapFrameWanted wanted = nullptr);
    // User-interface thread: forgets a frame on its way to the view (the channel stopped, and its
    // message must not be covered by the last frame of the pipeline that is gone).
    void Discard();
    // A view destroyed (with its window) stops the feed from queueing frames for nobody.
    void SetView(CChanView* view);
    CChanView* View() const { return m_view; }

    // Given to gst_app_sink_set_callbacks with this feed as user data. Streaming thread.
    static GstFlowReturn OnNewSample(GstAppSink* sink, gpointer feed);

    quint64 Produced() const { return m_produced.load(); }
    quint64 Painted() const { return m_painted; }
    void CountPainted() { ++m_painted; }

private:
    void CallBack(GstSample* sample);
    void Offer(GstSample* sample);
    void Deliver();

    const int m_channel;

    std::mutex m_callbackMutex;  // held while the callback runs
    CapFrameCallback m_callback = nullptr;
    CapFrameWanted m_wanted = nullptr;
    void* m_user = nullptr;
    std::vector<std::uint8_t> m_packed;  // reused from frame to frame; under m_callbackMutex

    std::mutex m_mailboxMutex;
    GstSample* m_mailbox = nullptr;  // the newest frame not yet shown, owned
    bool m_deliveryPending = false;
    std::atomic<bool> m_hasView{false};

    QPointer<CChanView> m_view;
    QObject* m_viewObject = nullptr;  // compared, never used: QPointer cannot be read in ~QWidget
    std::atomic<quint64> m_produced{0};
    quint64 m_painted = 0;  // user-interface thread
};
