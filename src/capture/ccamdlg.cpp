#include "ccamdlg.h"

#include "ccapbase.h"
#include "grabhandoff.h"
#include "setobj.h"

#include <QFrame>
#include <QPalette>

CCamDlg::CCamDlg(CCapBase* capture, int channel, QWidget* parent)
    : QWidget(parent), m_capture(capture), m_channel(channel)
{
    setObjectName(QStringLiteral("CamDlg%1").arg(channel));
    setFocusPolicy(Qt::StrongFocus);
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("VideoWindow"));
    frame->setFrameShape(QFrame::Box);
    m_videoWindow = frame;
    TakeSettings();
    m_handoff = std::make_unique<CGrabHandoff>(
        channel, [this](const CapturedFrame& frame, int number) { RunGrab(frame, number); });
    m_capture->SetChanWindow(m_channel, m_videoWindow);
    m_capture->SetChanCallBack(m_channel, &CGrabHandoff::FrameCallback, m_handoff.get(), &CGrabHandoff::FrameWanted);
    connect(m_capture, &CCapBase::chanStopped, this, &CCamDlg::OnChanStopped);
}

CCamDlg::~CCamDlg()
{
    Shutdown();
}

void CCamDlg::Shutdown()
{
    if (!m_handoff)
        return;
    // The callback goes first: once SetChanCallBack returns no frame reaches the handoff.
    m_capture->SetChanCallBack(m_channel, nullptr, nullptr);
    if (!m_stopped)
        m_capture->PauseChan(m_channel);
    m_stopped = true;
    m_handoff->Stop();
    m_handoff.reset();
    DeliverGrabs();
}

void CCamDlg::SetBackColor(ColorRef color)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    setPalette(palette);
    setAutoFillBackground(true);
}

void CCamDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_videoWindow->setGeometry(rect());
}

void CCamDlg::Preview()
{
    if (!m_stopped)
        return;
    if (m_capture->PlayChan(m_channel) < 0) {
        Q_EMIT problem(m_capture->LastError());
        return;
    }
    m_stopped = false;
    Q_EMIT stateChanged();
}

void CCamDlg::Stop()
{
    m_capture->PauseChan(m_channel);
    m_stopped = true;
    Q_EMIT stateChanged();
}

void CCamDlg::GrabImage()
{
    if (m_stopped || !m_handoff)
        return;
    if (m_handoff->IsFramePending()) {
        // One grab at a time per channel: a request now would be dropped by the next frame.
        Q_EMIT status(tr("The last grab from %1 is still being written; grab again in a moment")
                          .arg(m_capture->GetChanName(m_channel)));
        return;
    }
    TakeSettings();
    m_handoff->RequestGrab();
}

bool CCamDlg::IsGrabBusy()
{
    if (!m_handoff)
        return false;
    // The flags first: the worker fills the outbox before it clears framePending.
    if (m_handoff->IsGrabRequested() || m_handoff->IsFramePending())
        return true;
    const std::lock_guard lock(m_lock);
    return !m_outbox.empty() || !m_failures.isEmpty();
}

void CCamDlg::VideoFormat()
{
    if (m_capture->FormatChan(m_channel, this) < 0)
        Q_EMIT problem(m_capture->LastError());
}

void CCamDlg::VideoProperty()
{
    m_capture->ConfigChan(m_channel, this);
}

void CCamDlg::TakeSettings()
{
    const std::lock_guard lock(m_lock);
    m_settings = GrabSettings{g_SetObj.m_imageDir, g_SetObj.m_imageType, ImageEncoding::FromProfile()};
}

void CCamDlg::RunGrab(const CapturedFrame& frame, int number)
{
    const QString name = m_capture->GetChanName(m_channel);
    GrabSettings settings;
    {
        const std::lock_guard lock(m_lock);
        settings = m_settings;
    }
    const QString progress = tr("Grabbing from %1...").arg(name);
    QMetaObject::invokeMethod(this, [this, progress] { Q_EMIT status(progress); }, Qt::QueuedConnection);
    LiveGrabResult result = MakeLiveGrab(frame, name, number, settings);
    {
        // Failures travel with the items, so that one at shutdown is still told.
        const std::lock_guard lock(m_lock);
        if (result.item)
            m_outbox.push_back(std::move(result.item));
        else
            m_failures.append(tr("The grab from %1 was not saved: %2").arg(name, result.error));
    }
    // Never a blocking call: the user-interface thread may be waiting for this worker to end.
    QMetaObject::invokeMethod(this, &CCamDlg::DeliverGrabs, Qt::QueuedConnection);
}

void CCamDlg::DeliverGrabs()
{
    std::vector<std::unique_ptr<CClipObj>> items;
    QStringList failures;
    {
        const std::lock_guard lock(m_lock);
        items.swap(m_outbox);
        failures.swap(m_failures);
    }
    for (auto& item : items) {
        if (m_clipSink)
            m_clipSink(std::move(item));
        Q_EMIT grabFinished(true);
    }
    for (const QString& failure : std::as_const(failures)) {
        // Before the message, whose box may run the event loop: a timed grab stops first.
        Q_EMIT grabFinished(false);
        Q_EMIT problem(failure);
    }
}

void CCamDlg::OnChanStopped(int channel, const QString& message)
{
    if (channel != m_channel)
        return;
    m_stopped = true;
    Q_EMIT status(message);
    Q_EMIT stateChanged();
}
