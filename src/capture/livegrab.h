// A live grab: the copied frame of a channel written upright as an image file in the image
// directory, and the thumbnail item that goes to the library.
#pragma once

#include "clipobj.h"
#include "grabhandoff.h"
#include "saveoptions.h"

#include <QByteArray>
#include <QString>
#include <memory>

class CImage;

// Where and how grabs are written, read from the settings on the user-interface thread when the
// grab is requested (the worker never reads the settings).
struct GrabSettings {
    QString imageDir;
    std::int32_t imageType = 0;
    ImageEncoding encoding;
};

struct LiveGrabResult {
    std::unique_ptr<CClipObj> item;  // null when the file could not be written
    QString error;                   // then: which path failed and why
};

// Any one thread (the controller's worker). The file is named "<channel>_<number>" after a safe
// form of the channel's name, never over an existing file, recording the channel's name and the
// number (LiveGrabTexts); the item is of kind 1 with an empty source, the number and the grab name
// as caption, and an 80 x 60 thumbnail sampled from the frame.
LiveGrabResult MakeLiveGrab(const CapturedFrame& frame, const QString& channelName, int number,
                            const GrabSettings& settings);

// The frame as an upright image (the buffer's bottom row becomes the image's last row). False for a
// frame other than 24 bits or one too large to allocate.
bool FrameToImage(const CapturedFrame& frame, CImage& image);

// The thumbnail's sampling: thumbnail row i (counted from its bottom row) shows image row
// height - 1 - trunc(i * height / 60), column j image column trunc(j * width / 80), the products
// rounded to double precision before they are truncated.
int ThumbSourceRow(int i, int imageHeight);
int ThumbSourceColumn(int j, int imageWidth);
// The 40-byte header and 80 x 60 pixels (blue, green, red), rows bottom-up, sampled as above.
QByteArray MakeLiveThumbBlock(const CapturedFrame& frame);
