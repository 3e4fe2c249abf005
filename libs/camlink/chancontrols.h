// Picture controls through GStreamer's colour balance interface: the device's own, or the
// pipeline's videobalance element.
#pragma once

#include "capformat.h"

#include <gst/video/colorbalance.h>

#include <QList>
#include <QString>

// The controls of balance with their current values; defaultValue is left 0.
QList<CapControl> ReadControls(GstColorBalance* balance);
// False when balance has no control of that name (compared without case).
bool WriteControl(GstColorBalance* balance, const QString& name, int value);
// The videobalance element's four controls, named in title case (it calls them "BRIGHTNESS" and so
// on), in a fixed order; their values are read from balance, or the defaults without it.
QList<CapControl> BalanceElementControls(GstColorBalance* balance = nullptr);
