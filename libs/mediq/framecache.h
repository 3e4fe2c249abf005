// Decoded frames by frame number, bounded in bytes, least recently used first out. Shared by
// whoever reads frames of one file (the grab and the playback engine), so a frame decoded for one
// is there for the other.
#pragma once

#include "avhandles.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <unordered_map>

// Thread-safe: any thread may call any function. Frames are shared, immutable: a frame found or
// inserted stays valid for its holders after the cache lets go of it.
class FrameCache {
public:
    static constexpr std::size_t kDefaultBytes = std::size_t(384) << 20;

    explicit FrameCache(std::size_t byteLimit = kDefaultBytes) : m_limit(byteLimit) {}

    SharedFrame Find(std::int64_t frame);
    void Insert(std::int64_t frame, SharedFrame picture);

    std::size_t Bytes() const;
    std::size_t Limit() const { return m_limit; }

    static std::size_t SizeOf(const AVFrame& frame);

private:
    struct Entry {
        SharedFrame picture;
        std::list<std::int64_t>::iterator age;
        std::size_t bytes;
    };
    void EvictOverLimit();

    const std::size_t m_limit;
    mutable std::mutex m_mutex;
    std::list<std::int64_t> m_ages;  // most recently used first
    std::unordered_map<std::int64_t, Entry> m_entries;
    std::size_t m_bytes = 0;
};
