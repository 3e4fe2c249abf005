// Test videos made by the ffmpeg tool at test time. Every frame shows its own number as 12
// vertical stripes (stripe k white when bit k is set), which survives lossy coding.
#pragma once

#include "dibbitmap.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <ostream>
#include <vector>

struct TestVideo {
    const char* name;     // file name, its extension choosing the container
    int frames;           // how many frames the file holds
    QStringList encoder;  // ffmpeg output options
    QString filter = {};  // extra filters after the numbering
    int width = 192;
    int height = 144;
};

// For test names and failure messages.
inline void PrintTo(const TestVideo& video, std::ostream* out)
{
    *out << video.name;
}

// The catalogue of formats the program must get frame-exact.
const std::vector<TestVideo>& TestVideos();

bool FfmpegAvailable();
// Makes the video in folder (once per folder and name); returns its path, or empty on failure.
QString MakeTestVideo(const QString& folder, const TestVideo& video);
// The frame number a picture shows, or -1 when the stripes cannot be read.
int ReadFrameNumber(const DibBitmap& picture);
int ReadFrameNumber(const QImage& picture);
