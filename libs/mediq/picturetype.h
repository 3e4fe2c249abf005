// Picture types read from the bitstream, for the codecs whose containers do not give trustworthy
// presentation timestamps (MPEG-1, MPEG-2, MPEG-4 Part 2): the display order follows from them.
#pragma once

#include <cstdint>

extern "C" {
#include <libavcodec/codec_id.h>
}

enum class PictureType : std::uint8_t { Unknown = 0, I, P, B };

// True for the codecs whose display order is taken from picture types.
bool OrdersByPictureType(AVCodecID codec);
// The type of the (first) picture in a packet of that codec.
PictureType ReadPictureType(AVCodecID codec, const std::uint8_t* data, int size);
