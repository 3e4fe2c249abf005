#include "channelpipeline.h"

#include "camlinklog.h"
#include "chanfeed.h"
#include "gstptr.h"
#include "netaddress.h"

#include <gst/app/gstappsink.h>

#include <mutex>
#include <optional>

struct ChannelPipeline::Relay {
    QObject* context;
    QString address;
    std::function<void(const BusEvent&)> onBusEvent;
    std::mutex mutex;
    std::optional<BusEvent> firstError;
};

BusEvent ParseError(GstMessage* message)
{
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    BusEvent event;
    event.domain = error ? error->domain : 0;
    event.code = error ? error->code : 0;
    event.text = QString::fromUtf8(error ? error->message : "unknown error");
    event.debug = QString::fromUtf8(debug ? debug : "");
    g_clear_error(&error);
    g_free(debug);
    return event;
}

namespace {

void LogWarning(GstMessage* message, const QString& address)
{
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_warning(message, &error, &debug);
    qCWarning(lcCamlink) << GST_OBJECT_NAME(GST_MESSAGE_SRC(message))
                         << ScrubAddress(QString::fromUtf8(error ? error->message : ""), address)
                         << ScrubAddress(QString::fromUtf8(debug ? debug : ""), address);
    g_clear_error(&error);
    g_free(debug);
}

// Runs on whichever thread posts (streaming threads, or the caller of a state change).
GstBusSyncReply OnBusMessage(GstBus*, GstMessage* message, gpointer data)
{
    const auto& relay = *static_cast<std::shared_ptr<ChannelPipeline::Relay>*>(data);
    BusEvent event;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR: {
        event = ParseError(message);
        event.text = ScrubAddress(event.text, relay->address);
        event.debug = ScrubAddress(event.debug, relay->address);
        std::lock_guard lock(relay->mutex);
        if (!relay->firstError)
            relay->firstError = event;
        break;
    }
    case GST_MESSAGE_EOS:
        event.kind = BusEvent::EndOfStream;
        break;
    case GST_MESSAGE_WARNING:
        LogWarning(message, relay->address);
        return GST_BUS_DROP;
    default:
        return GST_BUS_DROP;
    }
    QMetaObject::invokeMethod(relay->context, [relay, event] { relay->onBusEvent(event); }, Qt::QueuedConnection);
    return GST_BUS_DROP;
}

GstElement* Make(const char* factory, const char* name, QString* error)
{
    GstElement* element = gst_element_factory_make(factory, name);
    if (!element && error && error->isEmpty())
        *error = QStringLiteral("the GStreamer element \"%1\" is not installed").arg(QLatin1String(factory));
    return element;
}

}  // namespace

std::unique_ptr<ChannelPipeline> ChannelPipeline::Build(GstElement* source, PipelineSetup setup, QString* error)
{
    std::unique_ptr<ChannelPipeline> pipeline(new ChannelPipeline);
    pipeline->m_pipeline = gst_pipeline_new(nullptr);
    gst_object_ref_sink(pipeline->m_pipeline);
    pipeline->m_relay = std::make_shared<Relay>();
    pipeline->m_relay->context = setup.context;
    pipeline->m_relay->address = setup.address;
    pipeline->m_relay->onBusEvent = std::move(setup.onBusEvent);
    GstPtr<GstBus> bus(gst_pipeline_get_bus(GST_PIPELINE(pipeline->m_pipeline)));
    gst_bus_set_sync_handler(bus.get(), OnBusMessage, new std::shared_ptr<Relay>(pipeline->m_relay),
                             [](gpointer data) { delete static_cast<std::shared_ptr<Relay>*>(data); });
    if (!pipeline->Assemble(source, setup, error))
        return nullptr;
    return pipeline;
}

bool ChannelPipeline::Assemble(GstElement* source, const PipelineSetup& setup, QString* error)
{
    gst_bin_add(GST_BIN(m_pipeline), source);  // sinks a floating source
    m_source = source;
    QList<GstElement*> chain{source};
    if (setup.isTest) {
        // Test sources are scaled and retimed so any format the dialog offers can be produced.
        chain << Make("videoconvert", nullptr, error) << Make("videoscale", nullptr, error)
              << Make("videorate", nullptr, error);
    }
    GstElement* format = Make("capsfilter", "format", error);
    chain << format;
    if (setup.jpeg)
        chain << Make("jpegdec", nullptr, error);
    m_balance = Make("videobalance", "balance", error);
    GstElement* bgr = Make("capsfilter", nullptr, error);
    GstElement* sink = Make("appsink", nullptr, error);
    chain << Make("videoconvert", nullptr, error) << m_balance << Make("videoconvert", nullptr, error) << bgr << sink;
    for (GstElement* element : chain.mid(1)) {
        if (element)
            gst_bin_add(GST_BIN(m_pipeline), element);
    }
    if (chain.contains(nullptr))
        return false;

    GstCapsPtr formatCaps(setup.formatCaps.isEmpty() ? gst_caps_new_any()
                                                     : gst_caps_from_string(setup.formatCaps.toUtf8().constData()));
    g_object_set(format, "caps", formatCaps ? formatCaps.get() : nullptr, nullptr);
    // BGRx: QImage's RGB32 byte for byte, so the view paints frames without converting them.
    GstCapsPtr bgrCaps(gst_caps_from_string("video/x-raw,format=BGRx"));
    g_object_set(bgr, "caps", bgrCaps.get(), nullptr);
    // Only the newest frame is kept: a slow consumer drops frames rather than growing a queue.
    g_object_set(sink, "max-buffers", 1u, "drop", TRUE, "sync", FALSE, "emit-signals", FALSE, nullptr);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &CChanFeed::OnNewSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, setup.feed, nullptr);

    for (qsizetype i = 0; i + 1 < chain.size(); ++i) {
        if (!gst_element_link(chain[i], chain[i + 1])) {
            *error = QStringLiteral("cannot link %1 to %2")
                         .arg(QLatin1String(GST_ELEMENT_NAME(chain[i])), QLatin1String(GST_ELEMENT_NAME(chain[i + 1])));
            return false;
        }
    }
    return true;
}

void ReleasePipeline(GstElement* pipeline)
{
    gst_element_set_state(pipeline, GST_STATE_NULL);
    GstPtr<GstBus> bus(gst_pipeline_get_bus(GST_PIPELINE(pipeline)));
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    gst_object_unref(pipeline);
}

ChannelPipeline::~ChannelPipeline()
{
    if (m_pipeline)
        ReleasePipeline(m_pipeline);
}

bool ChannelPipeline::SetState(GstState state, BusEvent* failure)
{
    if (gst_element_set_state(m_pipeline, state) != GST_STATE_CHANGE_FAILURE)
        return true;
    std::lock_guard lock(m_relay->mutex);
    if (failure)
        *failure = m_relay->firstError.value_or(BusEvent{});
    return false;
}

GstColorBalance* ChannelPipeline::DeviceBalance() const
{
    GstElement* element = nullptr;
    if (GST_IS_COLOR_BALANCE(m_source)) {
        element = m_source;
    } else if (GST_IS_BIN(m_source)) {
        element = gst_bin_get_by_interface(GST_BIN(m_source), GST_TYPE_COLOR_BALANCE);
        if (element)
            gst_object_unref(element);  // the bin keeps it alive as long as the pipeline
    }
    if (!element || !gst_color_balance_list_channels(GST_COLOR_BALANCE(element)))
        return nullptr;
    return GST_COLOR_BALANCE(element);
}
