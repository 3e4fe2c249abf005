#include "mediaindex.h"

#include <algorithm>
#include <cmath>
#include <numeric>

void MediaIndex::DisplaySize(int& displayWidth, int& displayHeight) const
{
    displayWidth = width;
    displayHeight = height;
    if (sarNum > 0 && sarDen > 0 && sarNum != sarDen)
        displayWidth = int(std::lround(double(width) * sarNum / sarDen / 2.0) * 2);
    if (rotation == 90 || rotation == 270)
        std::swap(displayWidth, displayHeight);
}

std::uint32_t MediaIndex::KeyBefore(std::uint32_t packet) const
{
    for (std::uint32_t i = packet; i-- > 0;) {
        if (packets[i].IsKey())
            return i;
    }
    return packet;
}

std::uint32_t MediaIndex::StartPacketFor(std::int64_t frame) const
{
    const std::uint32_t target = displayToDecode[std::size_t(frame)];
    for (std::uint32_t i = target + 1; i-- > 0;) {
        const IndexedPacket& p = packets[i];
        if (p.IsKey() && (decodeToDisplay[i] < 0 || decodeToDisplay[i] <= frame))
            return i;
    }
    return 0;
}

namespace {

// In MPEG-1, MPEG-2 and MPEG-4 Part 2 a reference picture (I or P) is shown once the next one has
// been decoded; B pictures are shown as they come.
std::vector<std::uint32_t> OrderByPictureTypes(const std::vector<IndexedPacket>& packets)
{
    std::vector<std::uint32_t> order;
    std::int64_t pendingAnchor = -1;
    for (std::uint32_t i = 0; i < packets.size(); ++i) {
        if (!packets[i].IsDisplayed())
            continue;
        if (packets[i].type == PictureType::B) {
            order.push_back(i);
            continue;
        }
        if (pendingAnchor >= 0)
            order.push_back(std::uint32_t(pendingAnchor));
        pendingAnchor = i;
    }
    if (pendingAnchor >= 0)
        order.push_back(std::uint32_t(pendingAnchor));
    return order;
}

// The packets whose pictures are shown, in decoding order.
std::vector<std::uint32_t> DisplayedPackets(const std::vector<IndexedPacket>& packets)
{
    std::vector<std::uint32_t> order;
    for (std::uint32_t i = 0; i < packets.size(); ++i) {
        if (packets[i].IsDisplayed())
            order.push_back(i);
    }
    return order;
}

std::vector<std::uint32_t> OrderByTimestamps(const std::vector<IndexedPacket>& packets)
{
    std::vector<std::uint32_t> order = DisplayedPackets(packets);
    std::stable_sort(order.begin(), order.end(),
                     [&packets](std::uint32_t a, std::uint32_t b) { return packets[a].pts < packets[b].pts; });
    return order;
}

}  // namespace

void MediaIndex::ComputeDisplayOrder()
{
    if (!packets.empty())
        packets.front().flags |= IndexedPacket::kKey;  // decoding has to start somewhere
    bool allTyped = true, allTimed = true;
    for (const IndexedPacket& p : packets) {
        if (!p.IsDisplayed())
            continue;
        allTyped = allTyped && p.type != PictureType::Unknown;
        allTimed = allTimed && p.pts != AV_NOPTS_VALUE;
    }
    if (OrdersByPictureType(AVCodecID(codecId)) && allTyped)
        displayToDecode = OrderByPictureTypes(packets);
    else if (allTimed)
        displayToDecode = OrderByTimestamps(packets);
    else
        displayToDecode.clear();

    if (displayToDecode.empty())  // nothing better known: the decoding order
        displayToDecode = DisplayedPackets(packets);
    decodeToDisplay.assign(packets.size(), -1);
    for (std::size_t frame = 0; frame < displayToDecode.size(); ++frame)
        decodeToDisplay[displayToDecode[frame]] = std::int32_t(frame);

    // Frame times: the rate's when the timestamps agree with it, each frame's own otherwise.
    const double step = 1.0 / frameRate;
    frameTimes.resize(displayToDecode.size());
    std::iota(frameTimes.begin(), frameTimes.end(), 0.0);
    for (double& t : frameTimes)
        t *= step;
    variableTiming = false;
    if (!allTimed || displayToDecode.size() < 2)
        return;
    const double timeBase = double(timeBaseNum) / timeBaseDen;
    const std::int64_t first = packets[displayToDecode[0]].pts;
    std::vector<double> own(displayToDecode.size());
    for (std::size_t frame = 0; frame < own.size(); ++frame)
        own[frame] = double(packets[displayToDecode[frame]].pts - first) * timeBase;
    for (std::size_t frame = 1; frame < own.size(); ++frame) {
        if (std::abs((own[frame] - own[frame - 1]) - step) > 0.25 * step) {
            variableTiming = true;
            break;
        }
    }
    if (variableTiming)
        frameTimes = std::move(own);
}
