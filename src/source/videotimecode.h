// The timecode of a grabbed frame told from its video's cached index, for items whose image file
// records none: the library shows it without opening the video.
#pragma once

#include <QString>
#include <cstdint>

// "HH:MM:SS:FF" as the source shows frame of video, or empty when no valid index of the video is
// cached (never opened here, or changed or moved since). User-interface thread; the video's rate
// is remembered after the first lookup.
QString CachedVideoTimecode(const QString& video, std::uint32_t frame);
