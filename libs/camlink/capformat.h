// A channel's video format and its picture controls, as the capture library offers them.
#pragma once

#include <QString>

struct CapFormat {
    QString media;        // "video/x-raw", "image/jpeg", ...; empty: whatever the device negotiates
    QString pixelFormat;  // "YUY2", "NV12", ... for raw video; empty when not fixed
    int width = 0;
    int height = 0;
    int fpsNumerator = 0;  // 0: not fixed
    int fpsDenominator = 1;

    bool IsDefault() const { return media.isEmpty(); }
    // "640 x 480, YUY2, 30 fps"; "Default" for the default format.
    QString Label() const;
    // GStreamer caps ("video/x-raw,format=YUY2,width=640,height=480,framerate=30/1"); empty for the
    // default. FromCaps(ToCaps()) gives the format back.
    QString ToCaps() const;
    static CapFormat FromCaps(const QString& caps);
    bool operator==(const CapFormat&) const = default;
};

struct CapControl {
    QString name;  // "Brightness", "Contrast", ... as the device or the balance element calls it
    int minimum = 0;
    int maximum = 0;
    int value = 0;
    int defaultValue = 0;
};
