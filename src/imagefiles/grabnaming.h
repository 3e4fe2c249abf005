// How a grab's file is named: "<base>_<number>.<extension>" in the image directory, never over an
// existing file.
#pragma once

#include "imagetype.h"

#include <QString>
#include <cstdint>

// The base of a video grab: the file name without folder and without its last extension
// ("b.c.mpg" gives "b.c"; a name without a dot is taken whole).
QString GrabBaseFromVideoPath(const QString& videoPath);

// "<base>_<number>"; the number is printed as a signed 32-bit value, so 2147483648 prints as
// -2147483648 (the names of earlier grabs were made that way).
QString BuildGrabName(const QString& base, std::uint32_t number);

struct GrabTarget {
    QString path;     // where to write: a file that does not exist yet
    QString caption;  // the name actually used: the grab name, or "<grab name> (2)" and so on
    EncoderFormat encoder = ImageFormatBMP;
    QString error;    // when the image directory is missing or the file cannot be created
    bool ok() const { return error.isEmpty(); }
};

// The file for a grab in imageDir (which must exist: it is never created here), of the given image type code (any code
// outside 1..4 gives BMP). When "<grab name>.<ext>" exists, the first free "<grab name> (N).<ext>",
// N = 2, 3, ..., is chosen, so that no grab replaces a file that an item may refer to. The file is
// created empty and exclusively before it is returned, so two grabs at once (two channels, or a
// video and a channel) can never both take one name: the caller writes the picture over it, or
// removes it when the picture cannot be written. Any thread.
GrabTarget BuildGrabPath(const QString& grabName, const QString& imageDir, std::int32_t imageType);

// A grab base that is safe as a file name in the image directory whatever a device calls itself:
// no folder separators, control characters or leading dots, not empty, and short enough to leave
// room for the number and the extension.
QString SafeGrabBase(const QString& name);
