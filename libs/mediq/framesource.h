// Frame-exact access to the pictures of one video file: frame N is the N-th picture in display
// order, whatever the container's timestamps say. A frame is fetched by seeking to a keyframe that
// the index names at or before it, decoding forward, and recognising every packet read by its
// size and content (never by the decoder's timestamps), so the decoded pictures are known by their
// place in the index.
#pragma once

#include "avhandles.h"
#include "framecache.h"
#include "indexbuilder.h"
#include "mediaindex.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

// Not thread-safe: one thread at a time uses a FrameSource (the user-interface thread, or a
// playback thread that owns its own source). Frames it returns are shared and immutable, and stay
// valid after the source is gone. The frame cache may be shared with other sources of the same file.
class FrameSource {
public:
    // Opens the file's first video stream and indexes it, or takes its index from the disk cache.
    // Returns null with a readable reason on failure (not a video, no decoder, cancelled, ...).
    // knownIndex: the index another source of the same file already has (nothing is read twice).
    static std::unique_ptr<FrameSource> Open(const QString& path, const ProgressFn& progress, QString& error,
                                             std::shared_ptr<FrameCache> cache = nullptr, bool useDiskCache = true,
                                             const MediaIndex* knownIndex = nullptr);
    ~FrameSource();
    FrameSource(const FrameSource&) = delete;
    FrameSource& operator=(const FrameSource&) = delete;

    const MediaIndex& Index() const { return m_index; }
    const QString& Path() const { return m_path; }
    std::shared_ptr<FrameCache> Cache() const { return m_cache; }
    bool IndexCameFromDiskCache() const { return m_indexFromDisk; }

    // What a request decodes besides its frame. Near: every picture close before it, so that the
    // steps back that usually follow find theirs in the cache. FrameOnly: none that the frame does
    // not need (playback moves on and never asks for them).
    enum class Keep { Near, FrameOnly };
    // The decoded picture of frame (0 <= frame < FrameCount()), or null with the reason.
    SharedFrame GetFrame(std::int64_t frame, QString* error = nullptr, Keep keep = Keep::Near);

    // Hands every frame of frames (ascending) to take, decoding forward in one pass from the
    // keyframe before the first: no seek per frame, and pictures nothing refers to are skipped
    // unless wanted. Frames come in the decoder's output order, which for every codec we read is
    // ascending. A frame the pass cannot give (damaged, or not out of the decoder in time) is then
    // fetched on its own. take runs on the calling thread and owns nothing beyond the shared frame;
    // it returns false to stop. False, with the reason, when stopped, aborted or a frame cannot be
    // had. Frames handed over are not put in the cache: a run would only push out what others use.
    using FrameSink = std::function<bool(std::int64_t frame, SharedFrame picture)>;
    bool DecodeForward(const std::vector<std::int64_t>& frames, const FrameSink& take, QString* error = nullptr);

    // Tests: every picture the decoder puts out costs this much longer, as on a slow machine or a
    // large video. Applies to all sources.
    static void SetDecodeDelayForTesting(std::chrono::microseconds delay);

    // Any thread: makes the request under way, and every later one, give up soon (the owner is
    // shutting down and must not wait for a long decode).
    void Abort() { m_abort.store(true); }

    // Counters for tests and benchmarks: how much work the requests cost.
    struct Counters {
        int seeks = 0;
        std::int64_t packetsDecoded = 0;
    };
    const Counters& GetCounters() const { return m_counters; }

private:
    FrameSource() = default;
    bool OpenFormat(QString& error, bool indexKnown);
    bool HeaderSuffices() const;
    bool OpenDecoder(QString& error);
    bool Reposition(std::uint32_t startPacket);
    std::int64_t Identify(const AVPacket& packet) const;
    // Feeds packets until frame comes out; false when it did not (the reason in error).
    enum class Outcome { Found, LandedLate, Ended, Failed };
    Outcome DecodeTowards(std::int64_t frame, SharedFrame& found, QString& error);
    bool TakeFrames(std::int64_t wanted, SharedFrame& found);
    // Receives every picture the decoder has ready; onPicture(frame, damaged) sees those whose
    // decoding started in time, the picture in m_frame for the duration of the call.
    bool ReceiveFrames(const std::function<void(std::int64_t frame, bool damaged)>& onPicture);
    // Reads the next packet of the video stream after a seek or where the last one left off, and
    // recognises it. Ended at the end of the file, LandedLate when a seek went past its keyframe.
    enum class ReadResult { Packet, Ended, LandedLate };
    ReadResult ReadPacket(std::int64_t& packet);
    // Feeds the packet read to the decoder, which may drop its picture when nothing refers to it.
    void SendPacket(std::int64_t packet, bool mayDropIfUnreferenced);
    bool UsesByteSeeking() const;

    QString m_path;
    FormatHandle m_format;
    CodecHandle m_decoder;
    MediaIndex m_index;
    std::unordered_multimap<std::uint64_t, std::uint32_t> m_byContent;  // (size, crc) -> packet
    std::shared_ptr<FrameCache> m_cache;
    PacketHandle m_packet;
    FrameHandle m_frame;
    bool m_indexFromDisk = false;
    // The container is freshly opened and nothing has been read from it: it stands at the start.
    bool m_formatAtStart = false;

    // Decoder position: packets from m_startPacket on have been fed since the last seek, the last
    // one m_lastPacket (-1: none recognised yet). Frames are trusted only when their own start
    // packet is not before m_startPacket.
    std::int64_t m_startPacket = -1;
    std::int64_t m_lastPacket = -1;
    bool m_ended = true;  // no seek since the decoder was drained (or it was never used)
    std::int64_t m_previousRequest = -1;
    std::int64_t m_keepFrom = -1;  // pictures shown before this one may be skipped if unreferenced
    Counters m_counters;
    std::atomic<bool> m_abort{false};
    bool m_wantedDamaged = false;  // the frame asked for came out, but damaged
};
