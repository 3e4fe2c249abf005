// Decoded frames turned into the pictures the program uses: a bitmap of any size, and the 80 x 60
// thumbnail block of the library.
#pragma once

#include "avhandles.h"
#include "dibbitmap.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// The frame scaled to width x height as blue-green-red pixels, top row first, rows of stride bytes.
// Planar YUV frames take the quick conversion (after scaling, when the size differs).
bool ScaleToBgr(const AVFrame& frame, int width, int height, std::uint8_t* out, int stride);
// The same through the general scaler alone, for every pixel format: the measure the quick
// conversion is held to.
bool ScaleToBgrGeneral(const AVFrame& frame, int width, int height, std::uint8_t* out, int stride);
// The same for the screen: quicker filtering, 32-bit blue-green-red-unused pixels (QImage's RGB32).
bool ScaleForDisplay(const AVFrame& frame, int width, int height, std::uint8_t* out, int stride);
// The display picture (rotated clockwise by rotation degrees) of width x height as packed
// blue-green-red rows, top row first.
bool DisplayPicture(const AVFrame& frame, int width, int height, int rotation, std::vector<std::uint8_t>& out);

// Whether FrameToBitmap converts the frame straight into the bitmap's rows: the picture asked for
// is the stored one, unturned, of a planar YUV format the quick conversion takes.
bool ConvertsStraight(const AVFrame& frame, int width, int height, int rotation);
// A bottom-up 24-bit bitmap of width x height whose rows' padding is zero and whose pixels are yet
// to be written. Null with the reason for an impossible size.
std::unique_ptr<DibBitmap> NewBitmap(int width, int height, QString* error);

// The frame scaled to width x height (the display picture: rotate first by rotation degrees
// clockwise), as a bottom-up 24-bit bitmap. Null with the reason when it cannot be made.
std::unique_ptr<DibBitmap> FrameToBitmap(const AVFrame& frame, int width, int height, int rotation, QString* error);

// The thumbnail block: a 40-byte bitmap information header, then width x height pixels of blue,
// green, red, rows bottom-up without padding. The picture keeps the display aspect
// (displayWidth : displayHeight) inside the block, with black bars.
std::unique_ptr<std::uint8_t[]> FrameToThumbBlock(const AVFrame& frame, int displayWidth, int displayHeight,
                                                  int rotation, int width, int height);
