#include "channellist.h"

#include <QSet>

#include "camlinklog.h"
#include "capprofile.h"

#include <QHash>
#include <algorithm>

QList<ChannelInfo> ParseTestChannels(const QString& list)
{
    QList<ChannelInfo> channels;
    for (const QString& raw : list.split(QLatin1Char(';'))) {
        const QString entry = raw.trimmed();
        if (entry.isEmpty())
            continue;
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? QString() : entry.left(equals).trimmed();
        if (name.isEmpty()) {
            qCWarning(lcCamlink) << "test channel entry skipped (expected Name=description):" << entry;
            continue;
        }
        ChannelInfo info;
        info.name = name;
        info.description = entry.mid(equals + 1).trimmed();
        info.isTest = true;
        channels.append(std::move(info));
    }
    MakeNamesUnique(channels);
    for (ChannelInfo& info : channels)
        info.identity = QStringLiteral("test:") + info.name;
    return channels;
}

QString DeviceIdentity(GstDevice* device)
{
    GstStructure* props = gst_device_get_properties(device);
    QString identity;
    if (props) {
        for (const char* key : {"device.path", "api.v4l2.path", "object.path", "node.name"}) {
            if (const gchar* value = gst_structure_get_string(props, key); value && *value) {
                identity = QString::fromUtf8(value);
                break;
            }
        }
        gst_structure_free(props);
    }
    if (identity.isEmpty()) {
        gchar* name = gst_device_get_display_name(device);
        identity = QString::fromUtf8(name ? name : "");
        g_free(name);
    }
    return identity;
}

std::shared_ptr<GstDevice> ShareDevice(GstDevice* device)
{
    return std::shared_ptr<GstDevice>(GST_DEVICE(gst_object_ref(device)), GstObjectUnref());
}

void OrderByKnown(QList<ChannelInfo>& channels, QStringList& known)
{
    std::stable_sort(channels.begin(), channels.end(), [&](const ChannelInfo& a, const ChannelInfo& b) {
        const qsizetype ia = known.indexOf(a.identity), ib = known.indexOf(b.identity);
        if ((ia < 0) != (ib < 0))
            return ia >= 0;
        return ia >= 0 ? ia < ib : a.identity < b.identity;
    });
    for (const ChannelInfo& info : channels) {
        if (!known.contains(info.identity))
            known.append(info.identity);
    }
}

void MakeNamesUnique(QList<ChannelInfo>& channels)
{
    QSet<QString> taken;
    for (const ChannelInfo& info : channels)
        taken.insert(info.name);
    QHash<QString, int> seen;
    for (ChannelInfo& info : channels) {
        if (++seen[info.name] == 1)
            continue;
        // "Cam", "Cam (2)", "Cam": the second "Cam" must not become a second "Cam (2)".
        QString unique;
        for (int n = seen[info.name]; unique.isEmpty() || taken.contains(unique); ++n)
            unique = QStringLiteral("%1 (%2)").arg(info.name).arg(n);
        taken.insert(unique);
        info.name = unique;
    }
}

QList<ChannelInfo> EnumerateDevices(GstDeviceMonitor* monitor)
{
    QList<ChannelInfo> channels;
    GList* devices = gst_device_monitor_get_devices(monitor);
    for (GList* item = devices; item; item = item->next) {
        GstDevice* device = GST_DEVICE(item->data);
        ChannelInfo info;
        info.identity = DeviceIdentity(device);
        gchar* name = gst_device_get_display_name(device);
        info.name = QString::fromUtf8(name ? name : "");
        g_free(name);
        if (info.name.isEmpty())
            info.name = info.identity;
        // One device can be listed by two providers (V4L2 and PipeWire); the first one wins.
        const bool duplicate = std::any_of(channels.cbegin(), channels.cend(),
                                           [&](const ChannelInfo& c) { return c.identity == info.identity; });
        if (!duplicate) {
            info.device = ShareDevice(device);
            channels.append(std::move(info));
        }
    }
    g_list_free_full(devices, gst_object_unref);
    QStringList known = capprofile::KnownDevices();
    const QStringList before = known;
    OrderByKnown(channels, known);
    MakeNamesUnique(channels);
    if (known != before)
        capprofile::SetKnownDevices(known);
    return channels;
}
