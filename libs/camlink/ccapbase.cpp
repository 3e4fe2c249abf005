#include "ccapbase.h"

#include "camlinklog.h"
#include "capdialogs.h"
#include "capimpl.h"
#include "capprofile.h"
#include "chancontrols.h"
#include "chanview.h"
#include "formatlist.h"
#include "netaddress.h"

#include <QTimer>

#include <algorithm>

CCapBase::CCapBase(QObject* parent) : QObject(parent), d(std::make_unique<Impl>())
{
    EnsureGstInit();
    d->q = this;
    QList<ChannelInfo> infos;
    if (qEnvironmentVariableIsSet("KESTIVO_TEST_CHANNELS")) {
        infos = ParseTestChannels(qEnvironmentVariable("KESTIVO_TEST_CHANNELS"));
    } else {
        d->watch = std::make_unique<DeviceWatch>(
            this, [this](bool added, std::shared_ptr<GstDevice> device) { d->OnDevice(added, device); });
        infos = EnumerateDevices(d->watch->Monitor());
    }
    for (const capprofile::NetCamera& camera : capprofile::NetCameras()) {
        const bool taken = std::any_of(infos.cbegin(), infos.cend(), [&](const ChannelInfo& info) { return info.name == camera.name; });
        if (taken) {
            qCWarning(lcCamlink) << "network camera" << camera.name << "skipped: a device has that name";
            continue;
        }
        ChannelInfo info;
        info.name = camera.name;
        info.identity = QStringLiteral("net:") + camera.name;
        info.isNetwork = true;
        info.address = camera.address;
        infos.append(std::move(info));
    }
    for (qsizetype i = 0; i < infos.size(); ++i) {
        auto chan = std::make_unique<CapChan>();
        chan->info = std::move(infos[i]);
        chan->format = capprofile::Format(chan->info.identity);
        chan->feed = std::make_unique<CChanFeed>(int(i));
        d->chans.push_back(std::move(chan));
    }
    auto* stalls = new QTimer(this);
    connect(stalls, &QTimer::timeout, this, [this] { d->CheckStalls(); });
    stalls->start(2000);
}

CCapBase::~CCapBase()
{
    // Setting each pipeline to NULL joins its streaming threads: no callback or frame after this.
    for (auto& chan : d->chans)
        chan->pipeline.reset();
    d->watch.reset();
    for (auto& chan : d->chans)
        delete chan->view.data();
}

int CCapBase::GetChanCount() const
{
    const std::lock_guard lock(d->listMutex);
    return int(d->chans.size());
}

QString CCapBase::GetChanName(int channel) const
{
    // Any thread; LastError is not touched.
    const std::lock_guard lock(d->listMutex);
    if (channel < 0 || std::size_t(channel) >= d->chans.size() || d->chans[std::size_t(channel)]->info.removed)
        return {};
    return d->chans[std::size_t(channel)]->info.name;
}

bool CCapBase::IsNetChan(int channel) const
{
    const CapChan* chan = d->Find(channel);
    return chan && chan->info.isNetwork;
}

QString CCapBase::GetChanAddress(int channel) const
{
    const CapChan* chan = d->Find(channel);
    return chan && chan->info.isNetwork ? DisplayAddress(chan->info.address) : QString();
}

bool CCapBase::IsChanReconnecting(int channel) const
{
    const CapChan* chan = d->Find(channel);
    return chan && chan->reconnecting && chan->feed->Produced() == chan->producedAtStart;
}

int CCapBase::AddNetChan(const QString& name, const QString& address)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return int(d->Fail(QStringLiteral("Enter a name for the camera")));
    for (int i = 0; i < GetChanCount(); ++i) {
        if (GetChanName(i).compare(trimmed, Qt::CaseInsensitive) == 0)
            return int(d->Fail(QStringLiteral("There is a channel named %1 already").arg(GetChanName(i))));
    }
    auto chan = std::make_unique<CapChan>();
    chan->info.name = trimmed;
    chan->info.identity = QStringLiteral("net:") + trimmed;
    chan->info.isNetwork = true;
    chan->info.address = address.trimmed();
    // Whatever a camera of this name once had (a format, controls) belonged to another address.
    capprofile::ForgetControls(chan->info.identity);
    capprofile::SetFormat(chan->info.identity, CapFormat{});
    int channel = 0;
    {
        const std::lock_guard lock(d->listMutex);
        channel = int(d->chans.size());
        chan->feed = std::make_unique<CChanFeed>(channel);
        d->chans.push_back(std::move(chan));
    }
    d->SaveNetChans();
    qCInfo(lcCamlink) << "network camera" << trimmed << "added as channel" << channel << "at"
                      << DisplayAddress(address);
    return channel;
}

long CCapBase::RemoveNetChan(int channel)
{
    CapChan* chan = d->Find(channel);
    if (!chan || !chan->info.isNetwork)
        return d->Fail(QStringLiteral("channel %1 is not a network camera").arg(channel));
    PauseChan(channel);
    chan->feed->SetCallback(nullptr, nullptr);
    SetChanWindow(channel, nullptr);
    {
        const std::lock_guard lock(d->listMutex);
        chan->info.removed = true;
    }
    d->SaveNetChans();
    capprofile::ForgetControls(chan->info.identity);
    qCInfo(lcCamlink) << "network camera" << chan->info.name << "removed";
    return 0;
}

QString CCapBase::GetChanIdentity(int channel) const
{
    const CapChan* chan = d->Find(channel);
    return chan ? chan->info.identity : QString();
}

QString CCapBase::LastError() const
{
    return d->error;
}

CapChanStats CCapBase::GetChanStats(int channel) const
{
    const CapChan* chan = d->Find(channel);
    return chan ? CapChanStats{chan->feed->Produced(), chan->feed->Painted()} : CapChanStats{};
}

bool CCapBase::IsChanPlaying(int channel) const
{
    const CapChan* chan = d->Find(channel);
    return chan && (chan->pipeline || (chan->reconnecting && chan->wantPlaying));
}

long CCapBase::SetChanWindow(int channel, QWidget* window)
{
    CapChan* chan = d->Find(channel);
    if (!chan)
        return -1;
    if (chan->view && chan->view->Window() == window)
        return 0;
    delete chan->view.data();
    if (!window) {
        chan->feed->SetView(nullptr);
        return 0;
    }
    CChanFeed* feed = chan->feed.get();
    chan->view = new CChanView(window, [feed] { feed->CountPainted(); });
    feed->SetView(chan->view);
    return 0;
}

long CCapBase::SetChanCallBack(int channel, CapFrameCallback callback, void* user, CapFrameWanted wanted)
{
    CapChan* chan = d->Find(channel);
    if (!chan)
        return -1;
    chan->feed->SetCallback(callback, user, wanted);
    return 0;
}

long CCapBase::PlayChan(int channel)
{
    CapChan* chan = d->Find(channel);
    if (!chan)
        return -1;
    if (chan->pipeline)
        return 0;
    chan->wantPlaying = true;
    chan->reconnecting = false;
    chan->retryDelayMs = 0;
    return d->Start(channel);
}

long CCapBase::PauseChan(int channel)
{
    CapChan* chan = d->Find(channel);
    if (!chan)
        return -1;
    chan->wantPlaying = false;
    chan->reconnecting = false;
    ++chan->generation;  // a restart already timed is dropped
    chan->pipeline.reset();
    chan->feed->Discard();
    if (chan->info.isNetwork && chan->view)
        chan->view->SetMessage({});  // no "reconnecting" left over a stopped channel
    return 0;
}

long CCapBase::FormatChan(int channel, QWidget* parent)
{
    if (!d->Find(channel))
        return -1;
    CCapFormatDlg dialog(GetChanFormats(channel), GetChanFormat(channel), parent);
    dialog.setWindowTitle(QStringLiteral("Format of %1").arg(GetChanName(channel)));
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    return SetChanFormat(channel, dialog.Chosen());
}

long CCapBase::ConfigChan(int channel, QWidget* parent)
{
    if (!d->Find(channel))
        return -1;
    CCapConfigDlg dialog(this, channel, parent);
    dialog.setWindowTitle(QStringLiteral("Picture of %1").arg(GetChanName(channel)));
    dialog.exec();
    return 0;
}

QList<CapFormat> CCapBase::GetChanFormats(int channel)
{
    CapChan* chan = d->Find(channel);
    if (!chan)
        return {};
    if (chan->info.isTest)
        return TestChannelFormats();
    if (!chan->info.device)  // network cameras: whatever the stream is
        return {CapFormat{}};
    GstCapsPtr caps(gst_device_get_caps(chan->info.device.get()));
    return DeviceFormats(caps.get());
}

CapFormat CCapBase::GetChanFormat(int channel) const
{
    const CapChan* chan = d->Find(channel);
    return chan ? chan->format : CapFormat{};
}

long CCapBase::SetChanFormat(int channel, const CapFormat& format)
{
    CapChan* chan = d->Find(channel);
    if (!chan)
        return -1;
    chan->format = format;
    capprofile::SetFormat(chan->info.identity, format);
    if (!chan->pipeline)
        return 0;
    // Renegotiating a running device is unreliable across drivers; a fresh pipeline always works.
    chan->pipeline.reset();
    return d->Start(channel);
}

QList<CapControl> CCapBase::GetChanControls(int channel)
{
    CapChan* chan = d->Find(channel);
    if (!chan)
        return {};
    if (chan->pipeline)
        return d->LiveControls(*chan);
    QList<CapControl> controls = chan->knownControls;
    if (controls.isEmpty() && chan->info.isTest)
        controls = BalanceElementControls();
    const QHash<QString, int> remembered = capprofile::Controls(chan->info.identity);
    for (CapControl& control : controls)
        control.value = remembered.value(control.name, control.value);
    return controls;
}

long CCapBase::SetChanControl(int channel, const QString& control, int value)
{
    CapChan* chan = d->Find(channel);
    if (!chan)
        return -1;
    const QList<CapControl> controls = GetChanControls(channel);
    const auto known = std::find_if(controls.cbegin(), controls.cend(), [&](const CapControl& c) {
        return c.name.compare(control, Qt::CaseInsensitive) == 0;
    });
    // A device not yet played this run has unknown controls: remember the value for its next start.
    if (known == controls.cend() && !controls.isEmpty())
        return d->Fail(QStringLiteral("%1 has no control \"%2\"").arg(chan->info.name, control));
    const QString name = known == controls.cend() ? control : known->name;
    if (known != controls.cend())
        value = qBound(known->minimum, value, known->maximum);
    if (chan->pipeline && !WriteControl(d->ActiveBalance(*chan), name, value))
        return d->Fail(QStringLiteral("%1 has no control \"%2\"").arg(chan->info.name, control));
    capprofile::SetControl(chan->info.identity, name, value);
    return 0;
}

long CCapBase::ResetChanControls(int channel)
{
    CapChan* chan = d->Find(channel);
    if (!chan)
        return -1;
    if (chan->pipeline) {
        for (const CapControl& control : d->LiveControls(*chan))
            WriteControl(d->ActiveBalance(*chan), control.name, control.defaultValue);
    }
    capprofile::ForgetControls(chan->info.identity);
    return 0;
}
