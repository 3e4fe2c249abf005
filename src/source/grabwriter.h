// Writing one frame of a video as a grab: the file named as every grab of that frame, and its
// library item. Shared by the single grab and the range grab, so both store a frame the same way.
#pragma once

#include "cimage.h"
#include "clipobj.h"
#include "saveoptions.h"

#include <QString>
#include <cstdint>
#include <future>
#include <memory>
#include <system_error>

// Where grabs go and as what. Copied from the settings on the user-interface thread, so that a
// worker never reads them.
struct GrabDestination {
    QString imageDir;
    std::int32_t imageType = 0;
    ImageEncoding encoding;  // from the profile

    // The settings' image directory and type now. User-interface thread.
    static GrabDestination FromSettings();
};

inline constexpr int kGrabThumbWidth = 80;
inline constexpr int kGrabThumbHeight = 60;

// Any thread. Writes image as the grab of frame of the video at source, recording the source, the
// frame and its timecode (as the source shows it) in the file, and makes its item (kind video file;
// no thumbnail yet). Null with the reason when the file could not be written; then no
// file is left under the grab's name. The caller owns the item.
// waitForRows, when set, tells that the image's rows are still being made (see SaveOptions).
std::unique_ptr<CClipObj> SaveVideoGrab(const CImage& image, const QString& source, std::uint32_t frame,
                                        const QString& timecode, const GrabDestination& to, QString* error,
                                        const std::function<void(int)>& waitForRows = {});
// Any thread. Gives item the 80 x 60 thumbnail block (header and pixels); a null block leaves it without.
void SetGrabThumbnail(CClipObj& item, const std::uint8_t* block);

// Starts work on another thread (an encoder, a thumbnail beside the encoder), or, when no thread
// is to be had, runs it when its result is asked for.
template <typename Work>
std::future<std::invoke_result_t<Work>> RunAside(Work work)
{
    try {
        return std::async(std::launch::async, work);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, std::move(work));
    }
}
