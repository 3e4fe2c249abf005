// The device monitor of "Video/Source" devices, kept running so that an unplugged device and one
// plugged back in are noticed.
#pragma once

#include <gst/gst.h>

#include <QObject>
#include <functional>
#include <memory>

// Constructed, used and destroyed on the user-interface thread. The monitor's messages arrive on
// GStreamer's threads and are forwarded, queued, to handler on context's thread; a message still
// queued when context is destroyed is dropped (and its device reference released).
class DeviceWatch {
public:
    using Handler = std::function<void(bool added, std::shared_ptr<GstDevice> device)>;

    DeviceWatch(QObject* context, Handler handler);
    ~DeviceWatch();  // stops the monitor: no message is forwarded once it returns
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;

    GstDeviceMonitor* Monitor() const { return m_monitor; }

private:
    GstDeviceMonitor* m_monitor = nullptr;
    bool m_started = false;
};
