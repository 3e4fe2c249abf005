#include "netprobe.h"

#include "camlinklog.h"
#include "channelpipeline.h"
#include "gstptr.h"
#include "netaddress.h"
#include "netsource.h"
#include "usermessages.h"

#include <QTcpSocket>
#include <QUrl>

#include <atomic>
#include <functional>
#include <optional>

// Shared with the bus handler and the pad probe (streaming threads); valid until TearDown has
// set the pipeline to NULL, which joins those threads.
struct CNetProbe::Relay {
    std::atomic<bool> answered{false};  // the first frame, error or end wins
    // Runs on a GStreamer thread; no event means a video frame arrived.
    std::function<void(std::optional<BusEvent>)> answer;

    void Answer(std::optional<BusEvent> event)
    {
        if (!answered.exchange(true))
            answer(std::move(event));
    }
};

namespace {

GstBusSyncReply OnBusMessage(GstBus*, GstMessage* message, gpointer data)
{
    auto& relay = **static_cast<std::shared_ptr<CNetProbe::Relay>*>(data);
    BusEvent event;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ELEMENT: {
        // The newer URI decoding reports a stream nothing decodes (a web page) only this way.
        const GstStructure* structure = gst_message_get_structure(message);
        if (!structure || !gst_structure_has_name(structure, "missing-plugin"))
            return GST_BUS_DROP;
        const gchar* what = gst_structure_get_string(structure, "name");
        event.domain = GST_CORE_ERROR;
        event.code = GST_CORE_ERROR_MISSING_PLUGIN;
        event.text = QStringLiteral("nothing here decodes %1").arg(QString::fromUtf8(what ? what : "the stream"));
        break;
    }
    case GST_MESSAGE_EOS:
        event.kind = BusEvent::EndOfStream;
        event.domain = GST_STREAM_ERROR;
        event.text = QStringLiteral("the stream ended before a picture came");
        break;
    case GST_MESSAGE_ERROR: event = ParseError(message); break;
    default:
        return GST_BUS_DROP;
    }
    relay.Answer(event);
    return GST_BUS_DROP;
}

GstPadProbeReturn OnBuffer(GstPad*, GstPadProbeInfo*, gpointer data)
{
    static_cast<CNetProbe::Relay*>(data)->Answer(std::nullopt);
    return GST_PAD_PROBE_REMOVE;
}

}  // namespace

CNetProbe::CNetProbe(QObject* parent) : QObject(parent)
{
    EnsureGstInit();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        BusEvent event;
        event.text = QStringLiteral("no answer within %1 seconds").arg(m_timer.interval() / 1000);
        Finish(NetOutcome::Unreachable, event.text);
    });
}

CNetProbe::~CNetProbe()
{
    TearDown();
}

namespace {

int TcpPort(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    const int port = scheme == QLatin1String("rtsp") || scheme == QLatin1String("rtspt") ? 554
                     : scheme == QLatin1String("rtsps")                                  ? 322
                     : scheme == QLatin1String("http")                                   ? 80
                     : scheme == QLatin1String("https")                                  ? 443
                                                                                         : -1;
    return port < 0 ? -1 : url.port(port);
}

}  // namespace

void CNetProbe::Start(const QString& address, int timeoutMs)
{
    TearDown();
    m_address = address;
    m_running = true;
    ++m_generation;
    m_timer.start(timeoutMs);
    qCInfo(lcCamlink) << "checking" << DisplayAddress(address);
    const QString syntax = CheckAddressSyntax(address);
    if (!syntax.isEmpty()) {
        // Queued, as every other answer: the caller connects after Start.
        QMetaObject::invokeMethod(
            this, [this, syntax, generation = m_generation] {
                if (generation == m_generation)
                    Finish(NetOutcome::BadAddress, syntax);
            },
            Qt::QueuedConnection);
        return;
    }
    const QUrl url(address.trimmed());
    const int port = TcpPort(url);
    if (port < 0) {
        StartPipeline();
        return;
    }
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
        StartPipeline();
    });
    connect(m_socket, &QTcpSocket::errorOccurred, this, &CNetProbe::OnSocketError);
    m_socket->connectToHost(url.host(), quint16(port));
}

void CNetProbe::OnSocketError()
{
    const QAbstractSocket::SocketError error = m_socket->error();
    const QString detail = m_socket->errorString();
    m_socket->deleteLater();
    m_socket = nullptr;
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        Finish(NetOutcome::Refused, detail);
        break;
    case QAbstractSocket::HostNotFoundError:
    case QAbstractSocket::NetworkError:
    case QAbstractSocket::SocketTimeoutError:
        Finish(NetOutcome::Unreachable, detail);
        break;
    default:
        StartPipeline();  // let GStreamer say what it makes of the address
        break;
    }
}

void CNetProbe::StartPipeline()
{
    QString error;
    GstElement* source = MakeNetSource(m_address, &error);
    GstElement* sink = source ? gst_element_factory_make("fakesink", nullptr) : nullptr;
    if (!sink) {
        if (source)
            gst_object_unref(gst_object_ref_sink(source));
        Finish(NetOutcome::BadAddress, error.isEmpty() ? QStringLiteral("fakesink is not installed") : error);
        return;
    }
    g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
    m_pipeline = gst_pipeline_new("netprobe");
    gst_object_ref_sink(m_pipeline);
    gst_bin_add_many(GST_BIN(m_pipeline), source, sink, nullptr);
    gst_element_link(source, sink);

    m_relay = std::make_shared<Relay>();
    m_relay->answer = [this, generation = m_generation](std::optional<BusEvent> event) {
        QMetaObject::invokeMethod(
            this,
            [this, event, generation] {
                if (generation != m_generation)
                    return;  // an answer to a check that was cancelled or replaced
                if (!event)
                    Finish(NetOutcome::Video, {});
                else
                    Finish(ClassifyNetError(*event), ScrubAddress(event->text, m_address));
            },
            Qt::QueuedConnection);
    };
    GstPtr<GstBus> bus(gst_pipeline_get_bus(GST_PIPELINE(m_pipeline)));
    gst_bus_set_sync_handler(bus.get(), OnBusMessage, new std::shared_ptr<Relay>(m_relay),
                             [](gpointer data) { delete static_cast<std::shared_ptr<Relay>*>(data); });
    GstPtr<GstPad> pad(gst_element_get_static_pad(sink, "sink"));
    gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, OnBuffer, m_relay.get(), nullptr);
    if (gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        m_relay->Answer(BusEvent{BusEvent::Error, GST_CORE_ERROR, GST_CORE_ERROR_STATE_CHANGE,
                                 QStringLiteral("the stream could not be started"), {}});
}

void CNetProbe::Cancel()
{
    TearDown();
}

void CNetProbe::TearDown()
{
    m_timer.stop();
    m_running = false;
    ++m_generation;  // answers still queued belong to a check that is over
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    if (!m_pipeline)
        return;
    ReleasePipeline(m_pipeline);
    m_pipeline = nullptr;
    m_relay.reset();
}

void CNetProbe::Finish(NetOutcome outcome, const QString& detail)
{
    if (!m_running)
        return;  // cancelled, or answered already
    TearDown();
    const QString who = DisplayAddress(m_address);
    if (outcome == NetOutcome::Video)
        qCInfo(lcCamlink) << who << "gives video";
    else
        qCInfo(lcCamlink) << "checking" << who << "failed:" << detail;
    Q_EMIT finished(outcome, outcome == NetOutcome::Video ? QString() : NetFailureMessage(outcome, who, detail));
}
