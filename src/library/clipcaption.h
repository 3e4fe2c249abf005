// What a thumbnail's cell shows of its caption, and what its tooltip tells about the item.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class CClipObj;
class QFont;

// User-interface thread only (fonts and metrics).
namespace clipcaption {

// The font of the caption band, shared by every cell.
const QFont& Font();

// The caption as the 82-pixel band shows it. A caption too wide for the band keeps its start and
// its last "_..." part (the frame or grab number, with a " (2)" a second grab of the same frame
// gets) and loses the middle to "…": two grabs of a long-named video must still look different.
QString Shown(const QString& caption);

// The timecode of a video's frame as the source shows it, or empty when it cannot be told.
using TimecodeSource = std::function<QString(const QString& video, std::uint32_t frame)>;

// The whole caption, where the picture came from (video and frame, or channel and grab number),
// the timecode (the one the file records, else timecodeOf's for files that keep no text, such as
// BMP), the picture's size and the file's path, one a line. Reads the image file's header, so it
// is meant for a hover, not for every paint.
QString ToolTip(const CClipObj& clip, const TimecodeSource& timecodeOf = {});

}  // namespace clipcaption
