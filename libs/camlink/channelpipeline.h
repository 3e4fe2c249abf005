// One channel's GStreamer pipeline: source, format filter, conversion, balance, BGRx appsink. Built
// at play and torn down at pause, so a device is held only while its channel plays.
#pragma once

#include <gst/gst.h>
#include <gst/video/colorbalance.h>

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class CChanFeed;

// A message of the pipeline's bus that ends the channel.
struct BusEvent {
    enum Kind { Error, EndOfStream } kind = Error;
    GQuark domain = 0;
    int code = 0;
    QString text;   // GStreamer's message, for the user
    QString debug;  // GStreamer's details, for the log
};

// An error message of a bus as an event (any thread).
BusEvent ParseError(GstMessage* message);
// Sets a pipeline to NULL (joining its streaming threads), unhooks its bus's sync handler, which
// may point at an object about to go, and releases it.
void ReleasePipeline(GstElement* pipeline);

struct PipelineSetup {
    bool isTest = false;
    QString formatCaps;   // the format filter's caps; empty: ANY
    bool jpeg = false;    // the format is image/jpeg: decode it
    CChanFeed* feed = nullptr;
    QObject* context = nullptr;  // bus events are delivered on its thread, dropped once it is gone
    QString address;  // a network channel's: its credentials are scrubbed from every bus message
    std::function<void(const BusEvent&)> onBusEvent;
};

// User-interface thread. The feed receives frames on the streaming thread between Start and the
// destructor, which sets the pipeline to NULL and so joins the streaming threads.
class ChannelPipeline {
public:
    // Takes source (floating or owned). Null with error set when an element is missing.
    static std::unique_ptr<ChannelPipeline> Build(GstElement* source, PipelineSetup setup, QString* error);
    ~ChannelPipeline();
    ChannelPipeline(const ChannelPipeline&) = delete;
    ChannelPipeline& operator=(const ChannelPipeline&) = delete;

    // False when the state change failed; failure then holds the bus's first error, if any.
    bool SetState(GstState state, BusEvent* failure);
    // The source's own colour balance (a device's controls) when it has channels; else null.
    GstColorBalance* DeviceBalance() const;
    // The pipeline's videobalance element.
    GstColorBalance* BalanceElement() const { return GST_COLOR_BALANCE(m_balance); }

    struct Relay;  // what the bus's sync handler shares with the pipeline

private:
    ChannelPipeline() = default;
    bool Assemble(GstElement* source, const PipelineSetup& setup, QString* error);

    GstElement* m_pipeline = nullptr;
    GstElement* m_source = nullptr;   // owned by the pipeline
    GstElement* m_balance = nullptr;  // owned by the pipeline
    std::shared_ptr<Relay> m_relay;
};
