// Conversions between seconds, frame numbers and timecode text for one open file.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>


// A value type, cheap to copy; any thread.
class CSysRef {
public:
    // 25 frames a second, the rate used when no file is open or a file gives none.
    CSysRef();
    // The rate of the file; with per-frame times (seconds from the first frame) for a file whose
    // frames are not evenly spaced.
    explicit CSysRef(double frameRate, std::shared_ptr<const std::vector<double>> frameTimes = nullptr);

    // The frame shown at that time: the last frame that starts at or before it.
    std::uint32_t SecToFrame(double seconds) const;
    // The time at which frame starts: its own time in a file of uneven timing, frame / rate
    // otherwise. Frames past the last one continue at the rate.
    double FrameToSec(double frame) const;
    // "HH:MM:SS:FF", the last field counting frames at the rounded nominal rate (30 for 29.97).
    QString FrameToTCString(std::uint32_t frame) const;

    int NominalRate() const;

private:
    double m_rate;
    std::shared_ptr<const std::vector<double>> m_times;
};
