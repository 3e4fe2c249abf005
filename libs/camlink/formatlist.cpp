#include "formatlist.h"

#include <QSize>
#include <QStringList>
#include <utility>

namespace {

const QList<QSize> kCommonSizes = {{160, 120}, {320, 240},  {640, 480},   {800, 600},
                                   {1024, 768}, {1280, 720}, {1920, 1080}};
const QList<int> kCommonRates = {5, 10, 15, 24, 25, 30, 50, 60};

using Rate = std::pair<int, int>;

bool IsShowable(const GstCaps* caps, guint index)
{
    const GstCapsFeatures* features = gst_caps_get_features(caps, index);
    if (features && !gst_caps_features_is_any(features)
        && !gst_caps_features_contains(features, GST_CAPS_FEATURE_MEMORY_SYSTEM_MEMORY))
        return false;  // DMA buffers and the like need elements the pipeline does not have
    const QString media = QString::fromUtf8(gst_structure_get_name(gst_caps_get_structure(caps, index)));
    return media == QLatin1String("video/x-raw") || media == QLatin1String("image/jpeg");
}

QStringList PixelFormats(const GstStructure* s)
{
    const GValue* value = gst_structure_get_value(s, "format");
    if (value && G_VALUE_HOLDS_STRING(value))
        return {QString::fromUtf8(g_value_get_string(value))};
    QStringList formats;
    if (value && GST_VALUE_HOLDS_LIST(value)) {
        for (guint i = 0; i < gst_value_list_get_size(value); ++i) {
            const GValue* item = gst_value_list_get_value(value, i);
            if (G_VALUE_HOLDS_STRING(item))
                formats << QString::fromUtf8(g_value_get_string(item));
        }
    }
    return formats.isEmpty() ? QStringList{QString()} : formats;
}

// The discrete values of an integer field; a range gives nothing (sizes handle ranges together).
QList<int> IntValues(const GValue* value)
{
    if (value && G_VALUE_HOLDS_INT(value))
        return {g_value_get_int(value)};
    QList<int> values;
    if (value && GST_VALUE_HOLDS_LIST(value)) {
        for (guint i = 0; i < gst_value_list_get_size(value); ++i) {
            const GValue* item = gst_value_list_get_value(value, i);
            if (G_VALUE_HOLDS_INT(item))
                values << g_value_get_int(item);
        }
    }
    return values;
}

bool InRange(const GValue* value, int n)
{
    if (!value || !GST_VALUE_HOLDS_INT_RANGE(value))
        return false;
    const int low = gst_value_get_int_range_min(value), step = gst_value_get_int_range_step(value);
    return n >= low && n <= gst_value_get_int_range_max(value) && (step <= 1 || (n - low) % step == 0);
}

QList<QSize> Sizes(const GstStructure* s)
{
    const GValue* width = gst_structure_get_value(s, "width");
    const GValue* height = gst_structure_get_value(s, "height");
    QList<QSize> sizes;
    if (GST_VALUE_HOLDS_INT_RANGE(width) || GST_VALUE_HOLDS_INT_RANGE(height)) {
        for (QSize size : kCommonSizes) {
            const bool w = InRange(width, size.width()) || IntValues(width).contains(size.width());
            const bool h = InRange(height, size.height()) || IntValues(height).contains(size.height());
            if (w && h)
                sizes << size;
        }
        return sizes;
    }
    for (int w : IntValues(width)) {
        for (int h : IntValues(height))
            sizes << QSize(w, h);
    }
    return sizes.isEmpty() ? QList<QSize>{QSize()} : sizes;
}

QList<Rate> Rates(const GstStructure* s)
{
    const GValue* value = gst_structure_get_value(s, "framerate");
    if (value && GST_VALUE_HOLDS_FRACTION(value))
        return {{gst_value_get_fraction_numerator(value), gst_value_get_fraction_denominator(value)}};
    QList<Rate> rates;
    if (value && GST_VALUE_HOLDS_LIST(value)) {
        for (guint i = 0; i < gst_value_list_get_size(value); ++i) {
            const GValue* item = gst_value_list_get_value(value, i);
            if (GST_VALUE_HOLDS_FRACTION(item))
                rates << Rate{gst_value_get_fraction_numerator(item), gst_value_get_fraction_denominator(item)};
        }
    } else if (value && GST_VALUE_HOLDS_FRACTION_RANGE(value)) {
        const GValue* low = gst_value_get_fraction_range_min(value);
        const GValue* high = gst_value_get_fraction_range_max(value);
        for (int rate : kCommonRates) {
            GValue candidate = G_VALUE_INIT;
            g_value_init(&candidate, GST_TYPE_FRACTION);
            gst_value_set_fraction(&candidate, rate, 1);
            if (gst_value_compare(&candidate, low) != GST_VALUE_LESS_THAN
                && gst_value_compare(&candidate, high) != GST_VALUE_GREATER_THAN)
                rates << Rate{rate, 1};
            g_value_unset(&candidate);
        }
    }
    // A rate of 0/1 means "variable" to GStreamer; offering it would fix nothing.
    rates.removeIf([](const Rate& r) { return r.first <= 0 || r.second <= 0; });
    return rates.isEmpty() ? QList<Rate>{{0, 1}} : rates;
}

}  // namespace

QList<CapFormat> TestChannelFormats()
{
    QList<CapFormat> formats{CapFormat{}};
    for (QSize size : kCommonSizes) {
        for (int rate : {15, 25, 30, 60})
            formats << CapFormat{QStringLiteral("video/x-raw"), QString(), size.width(), size.height(), rate, 1};
    }
    return formats;
}

QList<CapFormat> DeviceFormats(const GstCaps* caps)
{
    QList<CapFormat> formats{CapFormat{}};
    if (!caps || gst_caps_is_any(caps))
        return formats;
    for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
        if (!IsShowable(caps, i))
            continue;
        const GstStructure* s = gst_caps_get_structure(caps, i);
        const QString media = QString::fromUtf8(gst_structure_get_name(s));
        const QStringList pixels = media == QLatin1String("image/jpeg") ? QStringList{QString()} : PixelFormats(s);
        for (const QString& pixel : pixels) {
            for (QSize size : Sizes(s)) {
                for (const Rate& rate : Rates(s)) {
                    const CapFormat format{media, pixel, size.width(), size.height(), rate.first, rate.second};
                    if (!formats.contains(format))
                        formats << format;
                }
            }
        }
    }
    return formats;
}

QString DefaultDeviceCaps(const GstCaps* caps)
{
    if (!caps || gst_caps_is_any(caps))
        return {};
    QString fallback;
    for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
        if (!IsShowable(caps, i))
            continue;
        const QString media = QString::fromUtf8(gst_structure_get_name(gst_caps_get_structure(caps, i)));
        if (media == QLatin1String("video/x-raw"))
            return media;
        fallback = media;
    }
    return fallback;
}
