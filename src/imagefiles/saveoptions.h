// How a picture is encoded when saved, and what a grab records about itself inside its file.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// The encoders' settings the user chooses in Options. They live in the profile
// (QSettings "Orvel", "Kestivo", group "Grabs"), never in "Options.dat", whose layout is fixed.
struct ImageEncoding {
    static constexpr int kMinJpegQuality = 1;
    static constexpr int kMaxJpegQuality = 100;
    static constexpr int kDefaultJpegQuality = 90;
    static constexpr int kMaxPngCompression = 9;      // zlib's levels: 0 stores, 9 packs tightest
    static constexpr int kDefaultPngCompression = 6;  // zlib's own default

    int jpegQuality = kDefaultJpegQuality;
    int pngCompression = kDefaultPngCompression;

    // Any thread (QSettings is reentrant), though the grabs read it on the user-interface thread
    // when a grab is requested. Missing or out-of-range values read as the nearest valid ones.
    static ImageEncoding FromProfile();
    void ToProfile() const;
};

// One item a grab records: a PNG text chunk each, and a line "Key: text" each of the JPEG comment
// and the TIFF image description. GIF and BMP files carry none. Keys are Latin-1, as PNG needs.
struct ImageText {
    QString key;
    QString text;
};
using ImageTexts = std::vector<ImageText>;

// A grab from a video file: its source, frame number, the timecode the source shows for that frame
// and the program that wrote it.
ImageTexts VideoGrabTexts(const QString& source, std::uint32_t frame, const QString& timecode);
// A live grab: the channel's name, the grab's number and the program.
ImageTexts LiveGrabTexts(const QString& channel, int number);

struct SaveOptions {
    ImageEncoding encoding;
    ImageTexts texts;
    // When set, the picture's rows are still being made, from the top down: called with n, it
    // returns once the first n exist. A JPEG encoding starts on the first rows at once.
    std::function<void(int)> waitForRows = {};
};
