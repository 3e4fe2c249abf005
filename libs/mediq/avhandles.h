// Owning handles for FFmpeg's objects, so that every way out of a function releases them.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <memory>

struct AVFormatCloser {
    void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
};
struct AVCodecCloser {
    void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
};
struct AVFrameFreer {
    void operator()(AVFrame* p) const { av_frame_free(&p); }
};
struct AVPacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsFreer {
    void operator()(SwsContext* p) const { sws_freeContext(p); }
};

using FormatHandle = std::unique_ptr<AVFormatContext, AVFormatCloser>;
using CodecHandle = std::unique_ptr<AVCodecContext, AVCodecCloser>;
using FrameHandle = std::unique_ptr<AVFrame, AVFrameFreer>;
using PacketHandle = std::unique_ptr<AVPacket, AVPacketFreer>;
using SwsHandle = std::unique_ptr<SwsContext, SwsFreer>;

// A decoded frame as the cache and its readers share it: immutable once made.
using SharedFrame = std::shared_ptr<const AVFrame>;
