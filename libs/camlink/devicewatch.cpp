#include "devicewatch.h"

#include "camlinklog.h"
#include "channellist.h"
#include "gstptr.h"

namespace {

struct Relay {
    QObject* context;
    DeviceWatch::Handler handler;
};

GstBusSyncReply OnMonitorMessage(GstBus*, GstMessage* message, gpointer data)
{
    const auto* relay = static_cast<const Relay*>(data);
    GstDevice* device = nullptr;
    bool added = false;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_DEVICE_ADDED) {
        gst_message_parse_device_added(message, &device);
        added = true;
    } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_DEVICE_REMOVED) {
        gst_message_parse_device_removed(message, &device);
    }
    if (!device)
        return GST_BUS_DROP;
    // The parse gave us a reference; the shared pointer releases it even if the call is dropped.
    std::shared_ptr<GstDevice> shared(device, GstObjectUnref());
    QMetaObject::invokeMethod(
        relay->context, [handler = relay->handler, added, shared] { handler(added, shared); },
        Qt::QueuedConnection);
    return GST_BUS_DROP;
}

}  // namespace

DeviceWatch::DeviceWatch(QObject* context, Handler handler)
{
    EnsureGstInit();
    m_monitor = gst_device_monitor_new();
    GstCapsPtr caps(gst_caps_from_string("video/x-raw; image/jpeg"));
    gst_device_monitor_add_filter(m_monitor, "Video/Source", caps.get());
    GstPtr<GstBus> bus(gst_device_monitor_get_bus(m_monitor));
    gst_bus_set_sync_handler(bus.get(), OnMonitorMessage, new Relay{context, std::move(handler)},
                             [](gpointer data) { delete static_cast<Relay*>(data); });
    m_started = gst_device_monitor_start(m_monitor);
    if (!m_started)
        qCWarning(lcCamlink) << "the device monitor did not start: devices plugged in later go unnoticed";
}

DeviceWatch::~DeviceWatch()
{
    if (m_started)
        gst_device_monitor_stop(m_monitor);
    GstPtr<GstBus> bus(gst_device_monitor_get_bus(m_monitor));
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    gst_object_unref(m_monitor);
}
