#include "chancontrols.h"

namespace {

// videobalance's channel range; its properties run -1..1 (contrast and saturation 0..2) over it.
constexpr int kBalanceMin = -1000;
constexpr int kBalanceMax = 1000;

GstColorBalanceChannel* FindChannel(GstColorBalance* balance, const QString& name)
{
    for (const GList* item = gst_color_balance_list_channels(balance); item; item = item->next) {
        auto* channel = GST_COLOR_BALANCE_CHANNEL(item->data);
        if (QString::fromUtf8(channel->label).compare(name, Qt::CaseInsensitive) == 0)
            return channel;
    }
    return nullptr;
}

}  // namespace

QList<CapControl> ReadControls(GstColorBalance* balance)
{
    QList<CapControl> controls;
    for (const GList* item = gst_color_balance_list_channels(balance); item; item = item->next) {
        auto* channel = GST_COLOR_BALANCE_CHANNEL(item->data);
        CapControl control;
        control.name = QString::fromUtf8(channel->label);
        control.minimum = channel->min_value;
        control.maximum = channel->max_value;
        control.value = gst_color_balance_get_value(balance, channel);
        controls << control;
    }
    return controls;
}

bool WriteControl(GstColorBalance* balance, const QString& name, int value)
{
    GstColorBalanceChannel* channel = FindChannel(balance, name);
    if (!channel)
        return false;
    gst_color_balance_set_value(balance, channel, qBound(channel->min_value, value, channel->max_value));
    return true;
}

QList<CapControl> BalanceElementControls(GstColorBalance* balance)
{
    QList<CapControl> controls;
    for (const char* name : {"Brightness", "Contrast", "Saturation", "Hue"}) {
        CapControl control{QString::fromLatin1(name), kBalanceMin, kBalanceMax, 0, 0};
        if (GstColorBalanceChannel* channel = balance ? FindChannel(balance, control.name) : nullptr)
            control.value = gst_color_balance_get_value(balance, channel);
        controls << control;
    }
    return controls;
}
