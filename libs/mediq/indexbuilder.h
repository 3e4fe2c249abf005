// Building the index of a video stream by demuxing the whole file once (no decoding).
#pragma once

#include "mediaindex.h"

#include <QString>
#include <functional>
#include <optional>

struct AVFormatContext;

// Told the fraction done (0 to 1) now and then; returning false cancels.
using ProgressFn = std::function<bool(double fraction)>;

// Identifies a packet by its size and the CRC of its first bytes, as recorded in the index.
std::uint32_t PacketCrc(const std::uint8_t* data, int size);

// Reads every packet of stream from the current position (the start) to the end. Returns the
// index with its display order, or nothing with the reason (cancelled, unreadable, no pictures).
std::optional<MediaIndex> BuildIndex(AVFormatContext* format, int stream, const ProgressFn& progress,
                                     QString& error);
