#include "framesource.h"

#include "avresult.h"
#include "indexcache.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <thread>

namespace {

// Frames may leave the decoder this many packets after their own (the reordering delay).
constexpr std::int64_t kReorderSlack = 32;
// The largest picture we decode: beyond this a file's dimensions are taken as damage.
constexpr int kMaxDimension = 16384;
constexpr int kMaxAttempts = 5;
// After a jump, frames this close before the one asked for are decoded and cached even when
// nothing refers to them: the steps back that often follow find them there.
constexpr std::int64_t kKeepBefore = 48;

std::atomic<std::int64_t> g_decodeDelayUs{0};

std::uint64_t ContentKey(std::uint32_t size, std::uint32_t crc)
{
    return (std::uint64_t(size) << 32) | crc;
}

SharedFrame Share(AVFrame* received)
{
    AVFrame* kept = av_frame_alloc();
    av_frame_move_ref(kept, received);
    return SharedFrame(kept, [](const AVFrame* f) {
        AVFrame* p = const_cast<AVFrame*>(f);
        av_frame_free(&p);
    });
}

bool IsStillImageFormat(const AVInputFormat* format)
{
    const char* name = format->name;
    return std::strcmp(name, "image2") == 0 || std::strstr(name, "_pipe") != nullptr;
}

}  // namespace

std::unique_ptr<FrameSource> FrameSource::Open(const QString& path, const ProgressFn& progress, QString& error,
                                               std::shared_ptr<FrameCache> cache, bool useDiskCache,
                                               const MediaIndex* knownIndex)
{
    std::unique_ptr<FrameSource> source(new FrameSource);
    source->m_path = path;
    source->m_cache = cache ? std::move(cache) : std::make_shared<FrameCache>();
    source->m_packet.reset(av_packet_alloc());
    source->m_frame.reset(av_frame_alloc());
    std::optional<MediaIndex> index = knownIndex ? std::optional<MediaIndex>(*knownIndex)
                                      : useDiskCache ? LoadCachedIndex(path)
                                                     : std::nullopt;
    if (!source->OpenFormat(error, index.has_value()) || !source->OpenDecoder(error))
        return nullptr;
    if (index && index->streamIndex == source->m_index.streamIndex) {
        source->m_indexFromDisk = true;
        source->m_formatAtStart = true;  // indexing would have read it to the end
    } else {
        index = BuildIndex(source->m_format.get(), source->m_index.streamIndex, progress, error);
        if (!index)
            return nullptr;
        if (useDiskCache)
            StoreCachedIndex(path, *index);
    }
    source->m_index = std::move(*index);
    for (std::uint32_t i = 0; i < source->m_index.packets.size(); ++i) {
        const IndexedPacket& p = source->m_index.packets[i];
        source->m_byContent.emplace(ContentKey(p.size, p.crc), i);
    }
    return source;
}

FrameSource::~FrameSource() = default;

void FrameSource::SetDecodeDelayForTesting(std::chrono::microseconds delay)
{
    g_decodeDelayUs.store(delay.count());
}

// With an index at hand, the stream's header is enough where it names the codec and the size:
// probing the stream (which decodes a few pictures) would be most of a reopen's time.
bool FrameSource::HeaderSuffices() const
{
    const int stream = av_find_best_stream(m_format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream < 0)
        return false;
    const AVCodecParameters* par = m_format->streams[stream]->codecpar;
    return par->codec_id != AV_CODEC_ID_NONE && par->width > 0 && par->height > 0;
}

bool FrameSource::OpenFormat(QString& error, bool indexKnown)
{
    AVFormatContext* raw = nullptr;
    const QByteArray file = QFile::encodeName(m_path);
    if (const int result = avformat_open_input(&raw, file.constData(), nullptr, nullptr); result < 0) {
        error = QStringLiteral("The file is not a video that can be read (%1).").arg(AvErrorText(result));
        return false;
    }
    m_format.reset(raw);
    if (IsStillImageFormat(m_format->iformat)) {
        error = QStringLiteral("The file is a still image, not a video.");
        return false;
    }
    if (indexKnown && HeaderSuffices()) {
        // nothing more to learn
    } else if (const int result = avformat_find_stream_info(m_format.get(), nullptr); result < 0) {
        error = QStringLiteral("The file's streams cannot be read (%1).").arg(AvErrorText(result));
        return false;
    }
    // A reopen keeps the stream that the index describes; a first open takes the best one.
    const bool keep = indexKnown && m_index.streamIndex >= 0 && unsigned(m_index.streamIndex) < m_format->nb_streams
        && m_format->streams[m_index.streamIndex]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    const int stream = keep ? m_index.streamIndex : av_find_best_stream(m_format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream < 0) {
        error = QStringLiteral("The file has no video stream.");
        return false;
    }
    m_index.streamIndex = stream;
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        if (int(i) != stream)
            m_format->streams[i]->discard = AVDISCARD_ALL;
    }
    return true;
}

bool FrameSource::OpenDecoder(QString& error)
{
    const AVCodecParameters* par = m_format->streams[m_index.streamIndex]->codecpar;
    if (par->width <= 0 || par->height <= 0 || par->width > kMaxDimension || par->height > kMaxDimension) {
        error = QStringLiteral("The video claims an impossible picture size (%1 x %2).").arg(par->width).arg(par->height);
        return false;
    }
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (!codec) {
        error = QStringLiteral("There is no decoder for this video's format (%1).")
                    .arg(QString::fromUtf8(avcodec_get_name(par->codec_id)));
        return false;
    }
    m_decoder.reset(avcodec_alloc_context3(codec));
    if (!m_decoder || avcodec_parameters_to_context(m_decoder.get(), par) < 0) {
        error = QStringLiteral("The decoder could not be set up.");
        return false;
    }
    // FFmpeg's choice: one thread more than there are cores, each on a frame of its own where the
    // codec allows (several pictures decoded at once, which playback depends on), else on slices.
    m_decoder->thread_count = 0;
    if (const int result = avcodec_open2(m_decoder.get(), codec, nullptr); result < 0) {
        error = QStringLiteral("The decoder could not be opened (%1).").arg(AvErrorText(result));
        return false;
    }
    return true;
}

bool FrameSource::UsesByteSeeking() const
{
    // Program and transport streams and bare elementary streams have no index of their own; a
    // byte position is the one place that always leads back to the same packet.
    const char* name = m_format->iformat->name;
    return std::strstr(name, "mpeg") || std::strcmp(name, "m4v") == 0 || std::strcmp(name, "h264") == 0
        || std::strcmp(name, "hevc") == 0;
}

bool FrameSource::Reposition(std::uint32_t startPacket)
{
    ++m_counters.seeks;
    const IndexedPacket& start = m_index.packets[startPacket];
    int result = -1;
    if (startPacket == 0 && m_formatAtStart) {
        result = 0;  // just opened, nothing read: already where a reopen would put it
    } else if (startPacket == 0) {
        // From the very beginning: reopening is the one way that every demuxer gets right. Should
        // the file have gone meanwhile, the open one is kept and sought to its start instead.
        QString error;
        FormatHandle previous = std::move(m_format);
        if (OpenFormat(error, true)) {
            result = 0;
            m_formatAtStart = true;
        } else {
            qCInfo(lcMediq) << "reopening failed:" << error;
            m_format = std::move(previous);
            result = avformat_seek_file(m_format.get(), -1, INT64_MIN, INT64_MIN, INT64_MIN, 0);
        }
    } else if (UsesByteSeeking() && start.pos >= 0) {
        result = av_seek_frame(m_format.get(), -1, start.pos, AVSEEK_FLAG_BYTE);
    } else {
        const std::int64_t ts = start.pts != AV_NOPTS_VALUE ? start.pts : start.dts;
        result = av_seek_frame(m_format.get(), m_index.streamIndex, ts, AVSEEK_FLAG_BACKWARD);
    }
    if (startPacket != 0)
        m_formatAtStart = false;  // a seek has moved it
    avcodec_flush_buffers(m_decoder.get());
    m_startPacket = startPacket;
    m_lastPacket = -1;
    m_ended = false;
    return result >= 0;
}

std::int64_t FrameSource::Identify(const AVPacket& packet) const
{
    const std::uint32_t crc = PacketCrc(packet.data, packet.size);
    const std::int64_t expected = m_lastPacket >= 0 ? m_lastPacket + 1 : m_startPacket;
    if (expected >= 0 && expected < std::int64_t(m_index.packets.size())) {
        const IndexedPacket& p = m_index.packets[std::size_t(expected)];
        if (p.size == std::uint32_t(packet.size) && p.crc == crc)
            return expected;
    }
    // Identical packets (a still scene) share a key: take the one nearest to where we expect to be.
    std::int64_t best = -1;
    const auto [first, last] = m_byContent.equal_range(ContentKey(std::uint32_t(packet.size), crc));
    for (auto it = first; it != last; ++it) {
        if (best < 0 || std::abs(std::int64_t(it->second) - expected) < std::abs(best - expected))
            best = it->second;
    }
    return best;
}

bool FrameSource::ReceiveFrames(const std::function<void(std::int64_t frame, bool damaged)>& onPicture)
{
    for (;;) {
        const int result = avcodec_receive_frame(m_decoder.get(), m_frame.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result < 0)
            return false;
        if (const std::int64_t delay = g_decodeDelayUs.load())
            std::this_thread::sleep_for(std::chrono::microseconds(delay));
        const std::int64_t packet = m_frame->pts;
        const bool known = packet >= 0 && packet < std::int64_t(m_index.packets.size());
        const std::int64_t frame = known ? m_index.decodeToDisplay[std::size_t(packet)] : -1;
        // A picture is trusted only when decoding started no later than it needs, and never when
        // the decoder had to conceal damage in it: part of it would be another frame's.
        const bool damaged = m_frame->decode_error_flags != 0 || (m_frame->flags & AV_FRAME_FLAG_CORRUPT);
        const bool startedInTime = frame >= 0 && std::int64_t(m_index.StartPacketFor(frame)) >= m_startPacket;
        if (startedInTime)
            onPicture(frame, damaged);
        av_frame_unref(m_frame.get());
    }
}

bool FrameSource::TakeFrames(std::int64_t wanted, SharedFrame& found)
{
    return ReceiveFrames([&](std::int64_t frame, bool damaged) {
        if (damaged) {
            m_wantedDamaged = m_wantedDamaged || frame == wanted;
            return;
        }
        // Held here as well as in the cache: the frames that follow it may push it out.
        SharedFrame picture = Share(m_frame.get());
        if (frame == wanted)
            found = picture;
        m_cache->Insert(frame, std::move(picture));
    });
}

FrameSource::ReadResult FrameSource::ReadPacket(std::int64_t& packet)
{
    for (;;) {
        const int result = av_read_frame(m_format.get(), m_packet.get());
        m_formatAtStart = false;
        if (result < 0)
            return ReadResult::Ended;  // the end, or a damaged tail
        if (m_packet->stream_index != m_index.streamIndex) {
            av_packet_unref(m_packet.get());
            continue;
        }
        packet = Identify(*m_packet);
        if (m_lastPacket < 0) {
            // Just after a seek: skip what precedes the first packet we recognise, and notice a
            // seek that went past the keyframe we asked for.
            if (packet < 0) {
                av_packet_unref(m_packet.get());
                continue;
            }
            if (packet > m_startPacket) {
                av_packet_unref(m_packet.get());
                return ReadResult::LandedLate;
            }
        }
        if (packet >= 0)
            m_lastPacket = packet;
        return ReadResult::Packet;
    }
}

void FrameSource::SendPacket(std::int64_t packet, bool mayDropIfUnreferenced)
{
    m_decoder->skip_frame = mayDropIfUnreferenced ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
    // Our own timestamps: the decoder hands each picture back with the packet it came from.
    m_packet->pts = packet >= 0 ? packet : -1;
    m_packet->dts = AV_NOPTS_VALUE;
    const int sent = avcodec_send_packet(m_decoder.get(), m_packet.get());
    av_packet_unref(m_packet.get());
    ++m_counters.packetsDecoded;
    if (sent < 0 && sent != AVERROR(EAGAIN))
        qCDebug(lcMediq) << "packet" << packet << "refused:" << AvErrorText(sent);
}

FrameSource::Outcome FrameSource::DecodeTowards(std::int64_t frame, SharedFrame& found, QString& error)
{
    const std::int64_t target = m_index.displayToDecode[std::size_t(frame)];
    for (;;) {
        if (m_abort.load()) {
            error = QStringLiteral("Decoding was stopped.");
            return Outcome::Failed;
        }
        std::int64_t packet = -1;
        const ReadResult read = ReadPacket(packet);
        if (read == ReadResult::LandedLate)
            return Outcome::LandedLate;
        if (read == ReadResult::Ended) {
            // Drain what the decoder still holds.
            avcodec_send_packet(m_decoder.get(), nullptr);
            TakeFrames(frame, found);
            m_ended = true;
            if (found)
                return Outcome::Found;
            error = QStringLiteral("Frame %1 could not be decoded.").arg(frame);
            return Outcome::Ended;
        }
        // Far before the frame, pictures that nothing refers to need not be decoded at all; near
        // it every picture is, so that a run of backward steps finds them in the cache.
        const std::int32_t shown = packet >= 0 ? m_index.decodeToDisplay[std::size_t(packet)] : -1;
        SendPacket(packet, shown >= 0 && shown < m_keepFrom);
        if (!TakeFrames(frame, found)) {
            error = QStringLiteral("The decoder failed.");
            return Outcome::Failed;
        }
        if (found)
            return Outcome::Found;
        if (m_lastPacket > target + kReorderSlack) {
            error = QStringLiteral("Frame %1 did not come out of the decoder.").arg(frame);
            return Outcome::Ended;
        }
    }
}

bool FrameSource::DecodeForward(const std::vector<std::int64_t>& frames, const FrameSink& take, QString* error)
{
    QString why;
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (frames.empty())
        return true;
    if (frames.front() < 0 || frames.back() >= m_index.FrameCount() || !std::is_sorted(frames.begin(), frames.end()))
        return fail(QStringLiteral("There is no frame %1 (the video has %2).").arg(frames.back()).arg(m_index.FrameCount()));

    std::vector<bool> wanted(std::size_t(m_index.FrameCount()), false);
    std::int64_t lastTarget = 0;
    for (const std::int64_t frame : frames) {
        wanted[std::size_t(frame)] = true;
        lastTarget = std::max<std::int64_t>(lastTarget, m_index.displayToDecode[std::size_t(frame)]);
    }
    std::size_t remaining = std::size_t(std::count(wanted.begin(), wanted.end(), true));
    bool stopped = false;
    const auto onPicture = [&](std::int64_t frame, bool damaged) {
        if (damaged || stopped || !wanted[std::size_t(frame)])
            return;  // a damaged one is fetched on its own afterwards, which says why it failed
        wanted[std::size_t(frame)] = false;
        --remaining;
        stopped = !take(frame, Share(m_frame.get()));
    };

    m_previousRequest = -1;
    std::uint32_t start = m_index.StartPacketFor(frames.front());
    for (int attempt = 0; attempt < kMaxAttempts && remaining > 0; ++attempt) {
        if (!Reposition(start) && (start = 0, !Reposition(start)))
            break;
        bool landedLate = false;
        while (remaining > 0 && !stopped && m_lastPacket <= lastTarget + kReorderSlack) {
            if (m_abort.load())
                return fail(QStringLiteral("Decoding was stopped."));
            std::int64_t packet = -1;
            const ReadResult read = ReadPacket(packet);
            if (read == ReadResult::LandedLate) {
                landedLate = true;
                break;
            }
            if (read == ReadResult::Ended) {
                avcodec_send_packet(m_decoder.get(), nullptr);
                ReceiveFrames(onPicture);
                m_ended = true;
                break;
            }
            const std::int32_t shown = packet >= 0 ? m_index.decodeToDisplay[std::size_t(packet)] : -1;
            SendPacket(packet, shown >= 0 && !wanted[std::size_t(shown)]);
            if (!ReceiveFrames(onPicture))
                return fail(QStringLiteral("The decoder failed."));
        }
        if (stopped)
            return fail(QStringLiteral("Decoding was stopped."));
        if (!landedLate)
            break;
        start = attempt + 2 < kMaxAttempts ? m_index.KeyBefore(start) : 0;
    }
    // What the pass did not give, each on its own (with its own keyframe, and the start as a last resort).
    for (const std::int64_t frame : frames) {
        if (!wanted[std::size_t(frame)])
            continue;
        wanted[std::size_t(frame)] = false;
        SharedFrame picture = GetFrame(frame, &why);
        if (!picture)
            return fail(why);
        if (!take(frame, std::move(picture)))
            return fail(QStringLiteral("Decoding was stopped."));
    }
    return true;
}

SharedFrame FrameSource::GetFrame(std::int64_t frame, QString* error, Keep keep)
{
    QString why;
    if (frame < 0 || frame >= m_index.FrameCount()) {
        if (error)
            *error = QStringLiteral("There is no frame %1 (the video has %2).").arg(frame).arg(m_index.FrameCount());
        return nullptr;
    }
    if (SharedFrame cached = m_cache->Find(frame)) {
        m_previousRequest = frame;
        return cached;
    }

    // A jump needs only the frames that lead to it; a step (backward, usually) keeps them all, so
    // that the steps after it find their frames in the cache.
    const bool stepping = m_previousRequest >= 0 && std::abs(frame - m_previousRequest) <= 1;
    m_previousRequest = frame;
    m_keepFrom = keep == Keep::FrameOnly ? frame : stepping ? -1 : frame - kKeepBefore;

    m_wantedDamaged = false;
    std::uint32_t start = m_index.StartPacketFor(frame);
    const std::int64_t target = m_index.displayToDecode[std::size_t(frame)];
    // Going on from where the decoder is saves a seek when stepping forward.
    bool goOn = !m_ended && m_lastPacket >= 0 && m_startPacket <= start && m_lastPacket >= std::int64_t(start) - 1
        && m_lastPacket < target + kReorderSlack;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        if (!goOn && !Reposition(start)) {
            start = 0;
            if (!Reposition(start))
                break;
        }
        const bool wentOn = goOn;
        goOn = false;
        SharedFrame found;
        switch (DecodeTowards(frame, found, why)) {
        case Outcome::Found:
            return found;
        case Outcome::LandedLate:
            // The demuxer's seek went past the keyframe: ask for an earlier one, in the end the start.
            start = attempt + 2 < kMaxAttempts ? m_index.KeyBefore(start) : 0;
            continue;
        case Outcome::Failed:
            if (m_abort.load())
                break;
            [[fallthrough]];
        case Outcome::Ended:
            if (m_wantedDamaged) {
                // Decoded from its own keyframe and still damaged: the file holds no better picture,
                // and decoding from the start would cost long and give the same.
                why = QStringLiteral("Frame %1 is damaged in the file.").arg(frame);
                break;
            }
            if (wentOn)
                continue;  // try again from the frame's own keyframe
            if (start != 0) {
                start = 0;  // last resort: decode from the beginning
                continue;
            }
            break;
        }
        break;
    }
    if (error)
        *error = why;
    return nullptr;
}
