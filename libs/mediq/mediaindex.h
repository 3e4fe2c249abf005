// The index of a video stream: every packet in decoding order, made by demuxing alone, and from it
// the display order of the frames. A frame number is a place in that display order, counted from 0.
#pragma once

#include "picturetype.h"

#include <cstdint>
#include <vector>

extern "C" {
#include <libavutil/avutil.h>
}

struct IndexedPacket {
    static constexpr std::uint8_t kKey = 1;        // decoding can start here
    static constexpr std::uint8_t kDisplayed = 2;  // its picture is shown (edit lists drop some)

    std::int64_t pos = -1;            // byte position in the file; -1 when the demuxer gives none
    std::int64_t pts = AV_NOPTS_VALUE;  // in the stream's time base
    std::int64_t dts = AV_NOPTS_VALUE;
    std::uint32_t size = 0;
    std::uint32_t crc = 0;  // of the packet's first bytes: recognises the packet after a seek
    std::uint8_t flags = 0;
    PictureType type = PictureType::Unknown;

    bool IsKey() const { return flags & kKey; }
    bool IsDisplayed() const { return flags & kDisplayed; }
};

struct MediaIndex {
    // Stored (and cached on disk).
    std::vector<IndexedPacket> packets;  // decoding order
    int codecId = 0;
    int streamIndex = -1;
    int timeBaseNum = 1, timeBaseDen = 1;
    double frameRate = 25;  // average; 25 when the file gives none
    int width = 0, height = 0;
    int sarNum = 1, sarDen = 1;
    int rotation = 0;  // clockwise degrees: 0, 90, 180 or 270

    // Derived by ComputeDisplayOrder.
    std::vector<std::uint32_t> displayToDecode;  // frame number -> packet
    std::vector<std::int32_t> decodeToDisplay;   // packet -> frame number, -1 when not shown
    std::vector<double> frameTimes;              // seconds from the first frame, by frame number
    bool variableTiming = false;

    std::int64_t FrameCount() const { return std::int64_t(displayToDecode.size()); }
    // The display size: the sample aspect ratio applied, and width and height swapped for a
    // quarter turn. That is the picture a player shows and a grab writes.
    void DisplaySize(int& displayWidth, int& displayHeight) const;
    // The packet to start decoding at for frame: the latest keyframe at or before the frame's
    // packet whose own picture is not shown after the frame (an open group's leading pictures
    // need the group before).
    std::uint32_t StartPacketFor(std::int64_t frame) const;
    // The keyframe before packet, or packet itself when there is none earlier.
    std::uint32_t KeyBefore(std::uint32_t packet) const;

    // Also marks packet 0 as a keyframe: decoding has to start somewhere.
    void ComputeDisplayOrder();
};
