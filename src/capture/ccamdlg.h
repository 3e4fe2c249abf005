// The controller of one capture channel: its live picture, its preview state, and the grab of its
// next frame, written by a worker thread of its own and handed to the library.
#pragma once

#include "clipobj.h"
#include "colorref.h"
#include "livegrab.h"

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class CCapBase;
class CGrabHandoff;

// Thread: the user-interface thread, except what the worker does inside (see grabhandoff.h). All
// signals are emitted on the user-interface thread, grabs included.
class CCamDlg : public QWidget {
    Q_OBJECT
public:
    // Where grabbed items go; the receiver owns them from then on (the main frame's relay).
    using ClipSink = std::function<void(std::unique_ptr<CClipObj>)>;

    // Shows the channel's live picture and takes its frames; the worker starts at once.
    // capture is shared and outlives the controller.
    CCamDlg(CCapBase* capture, int channel, QWidget* parent = nullptr);
    // Shutdown().
    ~CCamDlg() override;

    void SetClipSink(ClipSink sink) { m_clipSink = std::move(sink); }
    void SetBackColor(ColorRef color);

    void Preview();
    void Stop();
    // Asks for the channel's next frame; requests made before that frame arrives give one grab.
    void GrabImage();
    void VideoFormat();
    void VideoProperty();

    // A grab asked for, being written, or written and not yet handed over: another request now
    // would be merged into it or wait behind it.
    bool IsGrabBusy();
    bool IsStopped() const { return m_stopped; }
    int Channel() const { return m_channel; }
    QWidget* VideoWindow() const { return m_videoWindow; }

    // Stops the channel's frames and the worker (a grab already being written is finished) and
    // hands what it made to the clip sink, so that a grab under way is never lost or half done.
    // Idempotent; the destructor calls it.
    void Shutdown();

Q_SIGNALS:
    // The state the pane's commands depend on may have changed.
    void stateChanged();
    // Something the user should be told: a grab that could not be written, a channel that failed.
    void problem(const QString& message);
    // One grab was handed over (saved) or failed (after problem told why), in the order made.
    void grabFinished(bool saved);
    // Progress for the status bar ("Grabbing from Cam A...").
    void status(const QString& message);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void RunGrab(const CapturedFrame& frame, int number);  // worker thread
    void DeliverGrabs();
    void OnChanStopped(int channel, const QString& message);
    void TakeSettings();

    CCapBase* m_capture;
    const int m_channel;
    bool m_stopped = true;
    QWidget* m_videoWindow = nullptr;
    ClipSink m_clipSink;
    std::mutex m_lock;  // the worker and the user-interface thread share these two
    GrabSettings m_settings;
    std::vector<std::unique_ptr<CClipObj>> m_outbox;
    QStringList m_failures;
    std::unique_ptr<CGrabHandoff> m_handoff;  // last: its worker uses the members above
};
