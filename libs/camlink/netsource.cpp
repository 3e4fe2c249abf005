#include "netsource.h"

#include "gstptr.h"
#include "netaddress.h"

#include <QByteArray>

namespace {

// Lives as long as the bin (g_object_set_data_full); the signal handlers run on streaming threads,
// one pad at a time per decoder, so only the video flag needs care.
struct NetSourceState {
    GstElement* bin = nullptr;
    GstElement* out = nullptr;
    QByteArray user;
    QByteArray password;
    gint videoLinked = 0;  // atomic
};

bool IsVideo(GstPad* pad)
{
    GstCapsPtr caps(gst_pad_get_current_caps(pad));
    if (!caps)
        caps.reset(gst_pad_query_caps(pad, nullptr));
    if (!caps || gst_caps_is_empty(caps.get()) || gst_caps_is_any(caps.get()))
        return false;
    const gchar* name = gst_structure_get_name(gst_caps_get_structure(caps.get(), 0));
    return g_str_has_prefix(name, "video/");
}

// Streams other than the first video run into a sink of their own, since an unlinked pad would
// stop the whole source with "not linked".
void Discard(GstElement* bin, GstPad* pad)
{
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (!sink)
        return;
    g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
    gst_bin_add(GST_BIN(bin), sink);
    GstPtr<GstPad> sinkPad(gst_element_get_static_pad(sink, "sink"));
    gst_pad_link(pad, sinkPad.get());
    gst_element_sync_state_with_parent(sink);
}

void OnPadAdded(GstElement*, GstPad* pad, gpointer data)
{
    auto* state = static_cast<NetSourceState*>(data);
    if (IsVideo(pad) && g_atomic_int_compare_and_exchange(&state->videoLinked, 0, 1)) {
        GstPtr<GstPad> sinkPad(gst_element_get_static_pad(state->out, "sink"));
        if (gst_pad_link(pad, sinkPad.get()) == GST_PAD_LINK_OK)
            return;
        g_atomic_int_set(&state->videoLinked, 0);
    }
    Discard(state->bin, pad);
}

void OnNoMorePads(GstElement*, gpointer data)
{
    auto* state = static_cast<NetSourceState*>(data);
    if (!g_atomic_int_get(&state->videoLinked)) {
        GST_ELEMENT_ERROR(state->bin, STREAM, WRONG_TYPE, ("The stream holds no video."), (nullptr));
    }
}

void OnSourceSetup(GstElement*, GstElement* source, gpointer data)
{
    auto* state = static_cast<NetSourceState*>(data);
    if (state->user.isEmpty() && state->password.isEmpty())
        return;
    GObjectClass* type = G_OBJECT_GET_CLASS(source);
    if (g_object_class_find_property(type, "user-id") && g_object_class_find_property(type, "user-pw"))
        g_object_set(source, "user-id", state->user.constData(), "user-pw", state->password.constData(), nullptr);
}

bool TakesCredentials(const QString& uri)
{
    for (const char* scheme : {"rtsp", "rtsps", "rtspt", "http", "https"}) {
        if (uri.startsWith(QLatin1String(scheme) + QLatin1String("://"), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

}  // namespace

GstElement* MakeNetSource(const QString& address, QString* error)
{
    // The newer URI decoding hands a stream over as soon as it is decoded, where the older one holds
    // an untimed stream (MJPEG over HTTP) until 2 MB have arrived, seconds for a small camera
    // picture. RTSP streams are timed, and only the older one plays them here.
    const bool rtsp = address.trimmed().startsWith(QLatin1String("rtsp"), Qt::CaseInsensitive);
    GstElement* decode = rtsp ? nullptr : gst_element_factory_make("uridecodebin3", "decode");
    if (!decode)
        decode = gst_element_factory_make("uridecodebin", "decode");
    GstElement* out = gst_element_factory_make("identity", "netout");
    if (!decode || !out) {
        if (decode)
            gst_object_unref(gst_object_ref_sink(decode));
        if (out)
            gst_object_unref(gst_object_ref_sink(out));
        *error = QStringLiteral("the GStreamer element \"uridecodebin\" is not installed");
        return nullptr;
    }
    GstElement* bin = gst_bin_new("netsource");
    gst_bin_add_many(GST_BIN(bin), decode, out, nullptr);
    GstPtr<GstPad> outPad(gst_element_get_static_pad(out, "src"));
    gst_element_add_pad(bin, gst_ghost_pad_new("src", outPad.get()));

    auto* state = new NetSourceState;
    state->bin = bin;
    state->out = out;
    const NetAddress split = SplitAddress(address);
    const bool separate = TakesCredentials(split.uri);
    if (separate) {
        state->user = split.user.toUtf8();
        state->password = split.password.toUtf8();
    }
    g_object_set_data_full(G_OBJECT(bin), "kestivo-net-state", state,
                           [](gpointer data) { delete static_cast<NetSourceState*>(data); });
    g_object_set(decode, "uri", (separate ? split.uri : split.fullUri).toUtf8().constData(), nullptr);
    g_signal_connect(decode, "source-setup", G_CALLBACK(OnSourceSetup), state);
    g_signal_connect(decode, "pad-added", G_CALLBACK(OnPadAdded), state);
    g_signal_connect(decode, "no-more-pads", G_CALLBACK(OnNoMorePads), state);
    return bin;
}
