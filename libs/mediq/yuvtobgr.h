// Planar 8-bit YUV frames at their stored size turned into packed blue-green-red rows, quickly and
// as the careful general scaler would make them: chroma upsampled with the same bicubic filter
// (chroma samples centred between luma samples), the frame's matrix and range, rounded to nearest,
// in 16-bit fixed point. A full-HD frame costs about a millisecond here instead of twenty or thirty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

struct AVFrame;

// Whether YuvToBgr takes the frame: 8-bit planar 4:2:0, 4:2:2 or 4:4:4.
bool YuvToBgrTakes(const AVFrame& frame);

// The frame at its stored size. out is the top row; rows are stride bytes apart (negative for a
// bottom-up picture). Large frames are shared out in bands over the processor's cores.
void YuvToBgr(const AVFrame& frame, std::uint8_t* out, std::ptrdiff_t stride);

// The same on the calling thread alone, from the top row down, telling made(n) after every few
// rows how many rows from the top exist.
void YuvToBgrInTurn(const AVFrame& frame, std::uint8_t* out, std::ptrdiff_t stride, const std::function<void(int)>& made);
