// CCapBase's running of channels: starting pipelines, and what their buses and the device monitor
// report.
#include "capimpl.h"

#include "camlinklog.h"
#include "capprofile.h"
#include "chancontrols.h"
#include "formatlist.h"
#include "netaddress.h"
#include "netsource.h"
#include "usermessages.h"
#include "v4l2controls.h"

#include <QFile>
#include <QTimer>

#include <algorithm>

namespace {

bool IsV4l2Path(const QString& identity)
{
    return identity.startsWith(QLatin1String("/dev/video"));
}

// The first wait after a drop and the longest one, in milliseconds.
constexpr int kFirstRetryMs = 500;
constexpr int kLastRetryMs = 8000;
// How long a playing network channel may go without a frame before it counts as dropped.
constexpr qint64 kStallMs = 12000;

}  // namespace

CapChan* CCapBase::Impl::Find(int channel)
{
    if (channel < 0 || std::size_t(channel) >= chans.size() || chans[std::size_t(channel)]->info.removed) {
        error = QStringLiteral("there is no channel %1").arg(channel);
        return nullptr;
    }
    return chans[std::size_t(channel)].get();
}

long CCapBase::Impl::Fail(const QString& message)
{
    error = message;
    return -1;
}

GstElement* CCapBase::Impl::MakeSource(const CapChan& chan, QString* message) const
{
    if (chan.info.isNetwork)
        return MakeNetSource(chan.info.address, message);
    if (!chan.info.isTest) {
        GstElement* source = gst_device_create_element(chan.info.device.get(), nullptr);
        if (!source)
            *message = QStringLiteral("the device has no GStreamer source");
        return source;
    }
    GError* error = nullptr;
    // The identity at the end lets a description end in caps ("videotestsrc ! video/x-raw,width=640"),
    // which the parser takes only as a filter between two elements.
    const QString description = chan.info.description + QStringLiteral(" ! identity");
    GstElement* bin = gst_parse_bin_from_description(description.toUtf8().constData(), TRUE, &error);
    // A description with a recoverable mistake (an unknown property) still yields a bin; refuse it
    // all the same, since it would not be what the description says.
    if (error) {
        *message = QString::fromUtf8(error->message);
        g_clear_error(&error);
        if (bin)
            gst_object_unref(gst_object_ref_sink(bin));
        return nullptr;
    }
    if (!bin)
        *message = QStringLiteral("the description gave no source");
    return bin;
}

PipelineSetup CCapBase::Impl::Setup(int channel, const CapChan& chan)
{
    PipelineSetup setup;
    setup.isTest = chan.info.isTest;
    setup.formatCaps = chan.format.ToCaps();
    if (!chan.info.isTest && !chan.info.isNetwork && chan.format.IsDefault()) {
        GstCapsPtr caps(gst_device_get_caps(chan.info.device.get()));
        setup.formatCaps = DefaultDeviceCaps(caps.get());
    }
    setup.jpeg = !chan.info.isTest && !chan.info.isNetwork && setup.formatCaps.startsWith(QLatin1String("image/jpeg"));
    setup.feed = chan.feed.get();
    setup.context = q;
    if (chan.info.isNetwork)
        setup.address = chan.info.address;
    setup.onBusEvent = [this, channel, generation = chan.generation](const BusEvent& event) {
        OnBusEvent(channel, generation, event);
    };
    return setup;
}

long CCapBase::Impl::Start(int channel)
{
    CapChan& chan = *chans[std::size_t(channel)];
    const QString& name = chan.info.name;
    ++chan.generation;
    chan.producedAtStart = chan.lastProduced = chan.feed->Produced();
    chan.sinceFrame.start();
    if (!chan.info.available || (!chan.info.isTest && !chan.info.isNetwork && !chan.info.device))
        return FailStart(channel, QStringLiteral("%1 is not connected").arg(name));
    QString message;
    GstElement* source = MakeSource(chan, &message);
    if (!source)
        return FailStart(channel, QStringLiteral("%1: %2").arg(name, message));
    chan.pipeline = ChannelPipeline::Build(source, Setup(channel, chan), &message);
    if (!chan.pipeline)
        return FailStart(channel, QStringLiteral("%1: %2").arg(name, message));

    // Devices expose their controls once open (READY), so the remembered ones go in between.
    BusEvent failure;
    const bool isDevice = !chan.info.isTest && !chan.info.isNetwork;
    auto failed = [&] {
        return chan.info.isNetwork ? NetStopMessage(chan, failure) : StopMessage(name, failure, isDevice, false);
    };
    if (!chan.pipeline->SetState(GST_STATE_READY, &failure))
        return FailStart(channel, failed());
    chan.usesDeviceBalance = isDevice && chan.pipeline->DeviceBalance();
    ApplyRememberedControls(chan);
    if (!chan.pipeline->SetState(GST_STATE_PLAYING, &failure))
        return FailStart(channel, failed());
    if (chan.view && !chan.reconnecting)
        chan.view->SetMessage({});  // while reconnecting, the first frame clears it
    return 0;
}

void CCapBase::Impl::TearDown(CapChan& chan, const QString& message)
{
    chan.pipeline.reset();
    chan.feed->Discard();  // a frame still on its way would cover the message
    if (chan.view)
        chan.view->SetMessage(message);
}

long CCapBase::Impl::FailStart(int channel, const QString& message)
{
    CapChan& chan = *chans[std::size_t(channel)];
    if (chan.info.isNetwork && chan.reconnecting && chan.wantPlaying) {
        Reconnect(channel, message);
        return 0;
    }
    chan.wantPlaying = false;
    TearDown(chan, message);
    qCInfo(lcCamlink) << "channel" << channel << "did not start:" << message;
    QMetaObject::invokeMethod(
        q,
        [this, channel, message, generation = chan.generation] {
            const CapChan& now = *chans[std::size_t(channel)];
            if (now.generation == generation && !now.pipeline)
                Q_EMIT q->chanStopped(channel, message);
        },
        Qt::QueuedConnection);
    return Fail(message);
}

void CCapBase::Impl::StopByItself(int channel, const QString& message)
{
    CapChan& chan = *chans[std::size_t(channel)];
    chan.wantPlaying = false;
    chan.reconnecting = false;
    TearDown(chan, message);
    qCInfo(lcCamlink) << "channel" << channel << "stopped:" << message;
    Q_EMIT q->chanStopped(channel, message);
}

void CCapBase::Impl::OnBusEvent(int channel, quint64 generation, const BusEvent& event)
{
    CapChan& chan = *chans[std::size_t(channel)];
    if (!chan.pipeline || chan.generation != generation)
        return;  // from a pipeline that is gone already
    if (chan.info.isNetwork) {
        const QString message = NetStopMessage(chan, event);
        if (chan.wantPlaying && (event.kind == BusEvent::EndOfStream || !IsNetFailureLasting(ClassifyNetError(event))))
            Reconnect(channel, message);
        else
            StopByItself(channel, message);
        return;
    }
    if (!event.debug.isEmpty())
        qCInfo(lcCamlink) << "channel" << channel << event.text << event.debug;
    const bool isDevice = !chan.info.isTest;
    const bool gone = isDevice
                      && (!chan.info.available
                          || (chan.info.identity.startsWith(QLatin1Char('/')) && !QFile::exists(chan.info.identity)));
    StopByItself(channel, StopMessage(chan.info.name, event, isDevice, gone));
}

void CCapBase::Impl::OnDevice(bool added, const std::shared_ptr<GstDevice>& device)
{
    const QString identity = DeviceIdentity(device.get());
    for (std::size_t i = 0; i < chans.size(); ++i) {
        CapChan& chan = *chans[i];
        if (chan.info.isTest || chan.info.identity != identity)
            continue;
        const int channel = int(i);
        if (added) {
            if (chan.info.available)
                return;  // the monitor's own announcement of a device listed at start
            chan.info.device = device;  // the old element would point at a stale node
            chan.info.available = true;
            if (chan.view && !chan.pipeline)
                chan.view->SetMessage(QStringLiteral("%1 is connected again").arg(chan.info.name));
            Q_EMIT q->chanAvailabilityChanged(channel, true);
        } else if (chan.info.available) {
            chan.info.available = false;
            if (chan.pipeline)
                StopByItself(channel, QStringLiteral("%1 was disconnected").arg(chan.info.name));
            Q_EMIT q->chanAvailabilityChanged(channel, false);
        }
        return;
    }
    qCInfo(lcCamlink) << "device" << identity << (added ? "added" : "removed") << "(not a channel of this run)";
}

GstColorBalance* CCapBase::Impl::ActiveBalance(const CapChan& chan) const
{
    if (!chan.pipeline)
        return nullptr;
    return chan.usesDeviceBalance ? chan.pipeline->DeviceBalance() : chan.pipeline->BalanceElement();
}

int CCapBase::Impl::DeviceDefault(CapChan& chan, const QString& control)
{
    if (IsV4l2Path(chan.info.identity)) {
        if (!chan.v4l2Defaults)
            chan.v4l2Defaults = V4l2ControlDefaults(chan.info.identity);
        if (auto it = chan.v4l2Defaults->constFind(control); it != chan.v4l2Defaults->cend())
            return *it;
    }
    return chan.firstValues.value(control);
}

QList<CapControl> CCapBase::Impl::LiveControls(CapChan& chan)
{
    if (!chan.usesDeviceBalance) {
        chan.knownControls = BalanceElementControls(ActiveBalance(chan));
        return chan.knownControls;
    }
    QList<CapControl> controls = ReadControls(ActiveBalance(chan));
    for (CapControl& control : controls) {
        if (!chan.firstValues.contains(control.name))
            chan.firstValues.insert(control.name, control.value);
        control.defaultValue = DeviceDefault(chan, control.name);
    }
    chan.knownControls = controls;
    return controls;
}

void CCapBase::Impl::ApplyRememberedControls(CapChan& chan)
{
    GstColorBalance* balance = ActiveBalance(chan);
    if (!balance)
        return;
    if (chan.usesDeviceBalance)
        LiveControls(chan);  // reads the device's own values first: they are its defaults of last resort
    const QHash<QString, int> remembered = capprofile::Controls(chan.info.identity);
    for (auto it = remembered.cbegin(); it != remembered.cend(); ++it) {
        if (!WriteControl(balance, it.key(), it.value()))
            qCInfo(lcCamlink) << chan.info.name << "has no control" << it.key() << "any more";
    }
}

QString CCapBase::Impl::NetStopMessage(const CapChan& chan, const BusEvent& event) const
{
    if (event.kind == BusEvent::EndOfStream)
        return QStringLiteral("%1: the stream ended").arg(chan.info.name);
    const BusEvent scrubbed{event.kind, event.domain, event.code, ScrubAddress(event.text, chan.info.address),
                            ScrubAddress(event.debug, chan.info.address)};
    if (!scrubbed.debug.isEmpty())
        qCInfo(lcCamlink) << chan.info.name << scrubbed.text << scrubbed.debug;
    return NetFailureMessage(ClassifyNetError(scrubbed), chan.info.name, scrubbed.text);
}

void CCapBase::Impl::Reconnect(int channel, const QString& why)
{
    CapChan& chan = *chans[std::size_t(channel)];
    const bool hadFrames = chan.feed->Produced() > chan.producedAtStart;
    chan.retryDelayMs = hadFrames || chan.retryDelayMs == 0 ? kFirstRetryMs : std::min(chan.retryDelayMs * 2, kLastRetryMs);
    chan.reconnecting = true;
    const QString message = QStringLiteral("%1: reconnecting...").arg(chan.info.name);
    TearDown(chan, message);
    qCInfo(lcCamlink) << "channel" << channel << "dropped (" << why << "), reconnecting in" << chan.retryDelayMs << "ms";
    QTimer::singleShot(chan.retryDelayMs, q, [this, channel, generation = ++chan.generation] {
        CapChan& now = *chans[std::size_t(channel)];
        if (now.generation == generation && now.wantPlaying && !now.pipeline && !now.info.removed)
            Start(channel);
    });
    Q_EMIT q->chanReconnecting(channel, message);
}

void CCapBase::Impl::SaveNetChans() const
{
    QList<capprofile::NetCamera> cameras;
    for (const auto& chan : chans) {
        if (chan->info.isNetwork && !chan->info.removed)
            cameras.append({chan->info.name, chan->info.address});
    }
    capprofile::SetNetCameras(cameras);
}

void CCapBase::Impl::CheckStalls()
{
    for (std::size_t i = 0; i < chans.size(); ++i) {
        CapChan& chan = *chans[i];
        if (!chan.info.isNetwork || !chan.pipeline || !chan.wantPlaying)
            continue;
        const quint64 produced = chan.feed->Produced();
        if (produced != chan.lastProduced) {
            chan.lastProduced = produced;
            chan.sinceFrame.start();
        } else if (chan.sinceFrame.elapsed() > kStallMs) {
            Reconnect(int(i), QStringLiteral("no picture for %1 s").arg(kStallMs / 1000));
        }
    }
}
