#include "framecache.h"

std::size_t FrameCache::SizeOf(const AVFrame& frame)
{
    std::size_t bytes = sizeof(AVFrame);
    for (const AVBufferRef* buffer : frame.buf) {
        if (buffer)
            bytes += buffer->size;
    }
    return bytes;
}

SharedFrame FrameCache::Find(std::int64_t frame)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.find(frame);
    if (it == m_entries.end())
        return nullptr;
    m_ages.splice(m_ages.begin(), m_ages, it->second.age);
    return it->second.picture;
}

void FrameCache::Insert(std::int64_t frame, SharedFrame picture)
{
    if (!picture)
        return;
    std::lock_guard lock(m_mutex);
    if (const auto it = m_entries.find(frame); it != m_entries.end()) {
        m_bytes -= it->second.bytes;
        m_ages.erase(it->second.age);
        m_entries.erase(it);
    }
    const std::size_t bytes = SizeOf(*picture);
    m_ages.push_front(frame);
    m_entries.emplace(frame, Entry{std::move(picture), m_ages.begin(), bytes});
    m_bytes += bytes;
    EvictOverLimit();
}

void FrameCache::EvictOverLimit()
{
    // The newest frame always stays, even when it alone is over the limit.
    while (m_bytes > m_limit && m_ages.size() > 1) {
        const auto it = m_entries.find(m_ages.back());
        m_bytes -= it->second.bytes;
        m_entries.erase(it);
        m_ages.pop_back();
    }
}

std::size_t FrameCache::Bytes() const
{
    std::lock_guard lock(m_mutex);
    return m_bytes;
}

