// A network camera as a GStreamer source element: the address opened by GStreamer's URI decoding,
// so any stream it can open works (RTSP, HTTP MJPEG, UDP, SRT...).
#pragma once

#include <gst/gst.h>

#include <QString>

// A floating bin with one src pad carrying the first video stream of address, decoded. Other
// streams (audio, data) are discarded inside the bin. When the stream turns out to hold no video,
// the bin posts a stream error (GST_STREAM_ERROR_WRONG_TYPE). Credentials in an http(s) or rtsp
// address are given to the source element's own properties, not in the URI, so that GStreamer's
// messages about the URI never carry them. Null with error set when URI decoding is not installed.
GstElement* MakeNetSource(const QString& address, QString* error);
