// The formats the format dialog offers, each list starting with the default format.
#pragma once

#include "capformat.h"

#include <gst/gst.h>

#include <QList>

// Test channels scale and convert anything, so they offer the common sizes and rates.
QList<CapFormat> TestChannelFormats();
// One entry per structure of caps and per listed pixel format, size and rate; ranges of sizes
// or rates offer the common values inside them. Only what the pipeline can show (raw video in
// system memory, JPEG).
QList<CapFormat> DeviceFormats(const GstCaps* caps);
// The caps a device channel's format filter gets for the default format: raw video when the
// device offers it, else JPEG; empty when neither is known ("ANY").
QString DefaultDeviceCaps(const GstCaps* caps);
