// Exact frames of a video file written as image files named the way grabs are, for the command
// line: no window, no settings, no library item.
#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

struct FrameFile {
    std::uint32_t frame = 0;
    QString path;   // the file written, when it was
    QString error;  // why it was not
    bool ok() const { return error.isEmpty(); }
};

struct FrameFilesResult {
    QString error;                 // the video could not be read or a frame is not in it: nothing written
    std::vector<FrameFile> files;  // one per frame asked for, in the order asked
};

// Writes each frame (display order, 0 the first) of video into folder, which must exist: the
// picture a grab in the program gives, as "<video base>_<frame>.<ext>" of imageType (an image type
// code), or the first free "<video base>_<frame> (N).<ext>" beside an existing file, which is
// never replaced. A frame beyond the end fails the whole request before anything is written;
// one that cannot be decoded or written fails alone. Frames are decoded in ascending order,
// whatever the order asked (so repeats take names in the order asked). Any one thread.
FrameFilesResult WriteFrameFiles(const QString& video, std::span<const std::uint32_t> frames, const QString& folder,
                                 std::int32_t imageType);
