#include "csysref.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Times computed from frames and back meet within this (seconds): far below any frame's length.
constexpr double kSlack = 1e-6;

}  // namespace

CSysRef::CSysRef() : m_rate(25) {}

CSysRef::CSysRef(double frameRate, std::shared_ptr<const std::vector<double>> frameTimes)
    : m_rate(frameRate > 0 ? frameRate : 25), m_times(std::move(frameTimes))
{
    if (m_times && m_times->empty())
        m_times.reset();
}

int CSysRef::NominalRate() const
{
    return std::max(1, int(std::lround(m_rate)));
}

std::uint32_t CSysRef::SecToFrame(double seconds) const
{
    if (!(seconds > 0))
        return 0;
    if (m_times) {
        const auto it = std::upper_bound(m_times->begin(), m_times->end(), seconds + kSlack);
        const auto frame = std::int64_t(it - m_times->begin()) - 1;
        if (it != m_times->end() || frame < 0)
            return std::uint32_t(std::max<std::int64_t>(frame, 0));
        // Past the last frame: continue at the rate.
        const double beyond = (seconds - m_times->back()) * m_rate;
        return std::uint32_t(std::min<double>(double(frame) + std::floor(beyond + kSlack), std::numeric_limits<std::uint32_t>::max()));
    }
    return std::uint32_t(std::min<double>(std::floor(seconds * m_rate + kSlack * m_rate), std::numeric_limits<std::uint32_t>::max()));
}

double CSysRef::FrameToSec(double frame) const
{
    if (frame <= 0)
        return 0;
    if (m_times) {
        const auto last = double(m_times->size() - 1);
        if (frame <= last)
            return (*m_times)[std::size_t(frame)];
        return m_times->back() + (frame - last) / m_rate;
    }
    return frame / m_rate;
}

QString CSysRef::FrameToTCString(std::uint32_t frame) const
{
    const int nominal = NominalRate();
    const std::uint64_t seconds = frame / std::uint64_t(nominal);
    return QStringLiteral("%1:%2:%3:%4")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(frame % std::uint64_t(nominal), 2, 10, QLatin1Char('0'));
}
