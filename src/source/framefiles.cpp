#include "framefiles.h"

#include "cimage.h"
#include "csysref.h"
#include "framesource.h"
#include "grabwriter.h"
#include "picture.h"

#include <QCoreApplication>
#include <algorithm>
#include <future>
#include <numeric>

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("FrameFiles", text);
}

struct Picture {
    SharedFrame frame;
    int width = 0, height = 0;  // the display size
    int rotation = 0;
};

// The frame as the program grabs it (CSourceDlg::WriteGrab): the display picture, sample aspect
// and rotation applied, named and written as a grab. Any thread: the frame is shared and immutable.
QString WriteFrame(const Picture& picture, const QString& video, std::uint32_t frame, const QString& timecode,
                   const GrabDestination& to, QString* path)
{
    QString error;
    CImage image;
    if (!image.Attach(FrameToBitmap(*picture.frame, picture.width, picture.height, picture.rotation, &error)))
        return error.isEmpty() ? Tr("the picture could not be made") : error;
    const std::unique_ptr<CClipObj> written = SaveVideoGrab(image, video, frame, timecode, to, &error);
    if (!written)
        return error;
    *path = written->GetPath();
    return {};
}

}  // namespace

FrameFilesResult WriteFrameFiles(const QString& video, std::span<const std::uint32_t> frames, const QString& folder,
                                 std::int32_t imageType)
{
    FrameFilesResult result;
    QString error;
    // The disk cache's index, when the program or an earlier run has read the file through.
    const std::unique_ptr<FrameSource> source = FrameSource::Open(video, {}, error);
    if (!source) {
        result.error = Tr("cannot open \"%1\": %2").arg(video, error);
        return result;
    }
    const std::int64_t count = source->Index().FrameCount();
    for (const std::uint32_t frame : frames) {
        if (frame >= count) {
            result.error = Tr("there is no frame %1 in \"%2\": it has %3 frames, 0 the first").arg(frame).arg(video).arg(count);
            return result;
        }
    }

    // Ascending: a frame after another in the same group of pictures is decoded on from it.
    std::vector<std::size_t> order(frames.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [frames](std::size_t a, std::size_t b) { return frames[a] < frames[b]; });
    Picture picture;
    source->Index().DisplaySize(picture.width, picture.height);
    picture.rotation = source->Index().rotation;
    result.files.resize(frames.size());
    // Named, encoded and recorded as a grab in the program would be, into the folder asked for.
    const GrabDestination to{folder, imageType, ImageEncoding::FromProfile()};
    const CSysRef timing(source->Index().frameRate);
    // A frame's file is converted and encoded (a tenth of a second for a large PNG) while the next
    // frame decodes. One at a time, so that repeats take their names in turn.
    std::future<void> writing;
    for (const std::size_t i : order) {
        FrameFile& file = result.files[i];
        file.frame = frames[i];
        picture.frame = source->GetFrame(file.frame, &file.error, FrameSource::Keep::FrameOnly);
        if (writing.valid())
            writing.get();
        if (!picture.frame)
            continue;
        writing = RunAside([&file, picture, &video, timecode = timing.FrameToTCString(file.frame), &to] {
            file.error = WriteFrame(picture, video, file.frame, timecode, to, &file.path);
        });
    }
    if (writing.valid())
        writing.get();
    return result;
}
