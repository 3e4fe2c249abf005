// Decoded frames turned into the pictures the program uses: a bitmap of any size, and the 80 x 60
// thumbnail block of the library.
#pragma once

#include "avhandles.h"
#include "dibbitmap.h"

#include <QString>
#include <cstdint>
#include <memory>

// The frame scaled to width x height (the display picture: rotate first by rotation degrees
// clockwise), as a bottom-up 24-bit bitmap. Null with the reason when it cannot be made.
std::unique_ptr<DibBitmap> FrameToBitmap(const AVFrame& frame, int width, int height, int rotation, QString* error);

// The thumbnail block: a 40-byte bitmap information header, then width x height pixels of blue,
// green, red, rows bottom-up without padding. The picture keeps the display aspect
// (displayWidth : displayHeight) inside the block, with black bars.
std::unique_ptr<std::uint8_t[]> FrameToThumbBlock(const AVFrame& frame, int displayWidth, int displayHeight,
                                                  int rotation, int width, int height);
