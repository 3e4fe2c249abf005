#include "indexbuilder.h"

#include "avhandles.h"
#include "avresult.h"

extern "C" {
#include <libavutil/crc.h>
#include <libavutil/display.h>
}

#include <cmath>

namespace {

// Enough of a packet to tell it from its neighbours; hashing all of it would cost more than the
// demuxing itself on high-rate files.
constexpr int kCrcBytes = 4096;

int RotationOf(const AVStream* stream)
{
    const auto* matrix = reinterpret_cast<const int32_t*>(
        av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (!matrix)
        return 0;
    // av_display_rotation_get gives the counter-clockwise angle; we keep the clockwise one.
    const double angle = -av_display_rotation_get(matrix);
    int degrees = int(std::lround(angle / 90.0)) * 90 % 360;
    return degrees < 0 ? degrees + 360 : degrees;
}

double FrameRateOf(const AVStream* stream)
{
    for (const AVRational rate : {stream->avg_frame_rate, stream->r_frame_rate}) {
        if (rate.num > 0 && rate.den > 0) {
            const double fps = av_q2d(rate);
            if (fps > 0.5 && fps < 1000)
                return fps;
        }
    }
    return 25;
}

void Describe(const AVStream* stream, MediaIndex& index)
{
    const AVCodecParameters* par = stream->codecpar;
    index.codecId = par->codec_id;
    index.streamIndex = stream->index;
    index.timeBaseNum = stream->time_base.num;
    index.timeBaseDen = stream->time_base.den;
    index.frameRate = FrameRateOf(stream);
    index.width = par->width;
    index.height = par->height;
    const AVRational sar = stream->sample_aspect_ratio.num ? stream->sample_aspect_ratio : par->sample_aspect_ratio;
    if (sar.num > 0 && sar.den > 0) {
        index.sarNum = sar.num;
        index.sarDen = sar.den;
    }
    index.rotation = RotationOf(stream);
}

}  // namespace

std::uint32_t PacketCrc(const std::uint8_t* data, int size)
{
    return av_crc(av_crc_get_table(AV_CRC_32_IEEE), 0, data, std::size_t(std::min(size, kCrcBytes)));
}

std::optional<MediaIndex> BuildIndex(AVFormatContext* format, int stream, const ProgressFn& progress,
                                     QString& error)
{
    MediaIndex index;
    Describe(format->streams[stream], index);
    const std::int64_t fileSize = format->pb ? avio_size(format->pb) : -1;
    PacketHandle packet(av_packet_alloc());
    if (progress && !progress(0)) {
        error = QStringLiteral("Opening the video was cancelled.");
        return std::nullopt;
    }
    int sinceReport = 0;
    for (;;) {
        const int result = av_read_frame(format, packet.get());
        if (result == AVERROR_EOF)
            break;
        if (result < 0) {
            // A damaged tail ends the index there: what was read before stays usable.
            qCInfo(lcMediq) << "demuxing stopped:" << AvErrorText(result);
            break;
        }
        if (packet->stream_index == stream && packet->size > 0) {
            IndexedPacket entry;
            entry.pos = packet->pos;
            entry.pts = packet->pts;
            entry.dts = packet->dts;
            entry.size = std::uint32_t(packet->size);
            entry.crc = PacketCrc(packet->data, packet->size);
            entry.flags = std::uint8_t(((packet->flags & AV_PKT_FLAG_KEY) ? IndexedPacket::kKey : 0)
                                       | ((packet->flags & AV_PKT_FLAG_DISCARD) ? 0 : IndexedPacket::kDisplayed));
            entry.type = ReadPictureType(AVCodecID(index.codecId), packet->data, packet->size);
            index.packets.push_back(entry);
        }
        av_packet_unref(packet.get());
        if (progress && ++sinceReport == 256) {
            sinceReport = 0;
            const double done = fileSize > 0 ? double(avio_tell(format->pb)) / double(fileSize) : 0;
            if (!progress(std::min(1.0, done))) {
                error = QStringLiteral("Opening the video was cancelled.");
                return std::nullopt;
            }
        }
    }
    if (index.packets.empty()) {
        error = QStringLiteral("The video stream holds no pictures.");
        return std::nullopt;
    }
    index.ComputeDisplayOrder();
    if (index.FrameCount() == 0) {
        error = QStringLiteral("The video stream holds no pictures that are shown.");
        return std::nullopt;
    }
    if (progress)
        progress(1.0);
    return index;
}
