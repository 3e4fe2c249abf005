// JPEG files written with libjpeg-turbo straight from a bitmap's rows: blue-green-red (or
// blue-green-red-unused) bytes, bottom-up or top-down, with no reordered copy of the picture first.
// The file is the one Qt's JPEG writer makes of the same picture, byte for byte.
#pragma once

#include "imagestatus.h"

#include <QByteArray>
#include <cstdint>
#include <functional>

class QIODevice;

struct JpegRows {
    const std::uint8_t* top = nullptr;  // the first byte of the top row
    std::ptrdiff_t pitch = 0;           // bytes to the next row down; negative for bottom-up storage
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3;  // 3: blue, green, red; 4: blue, green, red and a byte that is ignored
    // When set, the rows are still being made: called with n before the first n rows from the top
    // are read, it returns once they exist.
    std::function<void(int)> waitForRows = {};
};

// Encodes at quality (1 to 100) with the comment (the grab's texts) after the header, recording the
// density as Qt does for an image of dotsPerMeter. Fails, having written part of the file, when the
// device refuses it.
ImageStatus WriteJpeg(const JpegRows& rows, int quality, const QByteArray& comment, int dotsPerMeter,
                      QIODevice& device);
