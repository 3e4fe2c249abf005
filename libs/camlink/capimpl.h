// CCapBase's private state: the channels and what runs them. User-interface thread only.
#pragma once

#include "ccapbase.h"
#include "chanfeed.h"
#include "channellist.h"
#include "channelpipeline.h"
#include "chanview.h"
#include "devicewatch.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <mutex>
#include <optional>
#include <vector>

struct CapChan {
    ChannelInfo info;
    CapFormat format;
    std::unique_ptr<CChanFeed> feed;
    std::unique_ptr<ChannelPipeline> pipeline;  // only while playing
    bool usesDeviceBalance = false;
    quint64 generation = 0;  // bumped at every start; bus events of older pipelines are ignored
    QPointer<CChanView> view;
    QList<CapControl> knownControls;  // as last seen while playing
    QHash<QString, int> firstValues;  // a device's control values as first read in this run
    std::optional<QHash<QString, int>> v4l2Defaults;
    // Network channels: the user wants it playing (PlayChan until PauseChan or a lasting failure),
    // it dropped and is being started again, the wait before the next start, and how many frames
    // the feed had produced when the pipeline last started (a frame since ends the reconnection).
    bool wantPlaying = false;
    bool reconnecting = false;
    int retryDelayMs = 0;
    quint64 producedAtStart = 0;
    // The frame count when it last moved, and since when: a stream that stalls without an error
    // (a camera that lost power behind a router) counts as dropped.
    quint64 lastProduced = 0;
    QElapsedTimer sinceFrame;
};

struct CCapBase::Impl {
    CCapBase* q = nullptr;
    std::vector<std::unique_ptr<CapChan>> chans;
    std::unique_ptr<DeviceWatch> watch;
    // Held by the user-interface thread while it adds or removes a channel, and by readers on
    // other threads (GetChanName from a grab's worker).
    mutable std::mutex listMutex;
    QString error;

    CapChan* Find(int channel);
    long Fail(const QString& message);

    long Start(int channel);
    // The channel stopped: pipeline gone, no frame left to cover the message, which the view shows.
    void TearDown(CapChan& chan, const QString& message);
    long FailStart(int channel, const QString& message);
    void StopByItself(int channel, const QString& message);
    // A network channel dropped: torn down now, started again after the back-off.
    void Reconnect(int channel, const QString& why);
    void SaveNetChans() const;
    // Every few seconds: a playing network channel without a new frame for too long reconnects.
    void CheckStalls();
    // A network channel's failure in words, without its credentials.
    QString NetStopMessage(const CapChan& chan, const BusEvent& event) const;
    void OnBusEvent(int channel, quint64 generation, const BusEvent& event);
    void OnDevice(bool added, const std::shared_ptr<GstDevice>& device);

    GstColorBalance* ActiveBalance(const CapChan& chan) const;
    QList<CapControl> LiveControls(CapChan& chan);
    void ApplyRememberedControls(CapChan& chan);

private:
    GstElement* MakeSource(const CapChan& chan, QString* error) const;
    PipelineSetup Setup(int channel, const CapChan& chan);
    int DeviceDefault(CapChan& chan, const QString& control);
};
