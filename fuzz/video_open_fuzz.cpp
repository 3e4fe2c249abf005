// Feeds mutated small videos to the frame source: opening (probing, indexing) and fetching the
// first, a middle and the last frame must fail cleanly or give a picture, never crash or hang.
//
//   video_open_fuzz --write-seeds DIR   makes tiny videos in several formats with the ffmpeg tool.
#include "framesource.h"
#include "picture.h"
#include "seeds.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <unistd.h>

namespace {

void WriteSeeds(const QString& dir)
{
    QDir().mkpath(dir);
    const char* outputs[][3] = {{"mpeg2video", "mpeg", "seed.mpg"}, {"mpeg2video", "mpegts", "seed.ts"},
                                {"libx264", "mp4", "seed.mp4"},     {"mpeg4", "avi", "seed.avi"},
                                {"libx264", "matroska", "seed.mkv"}, {"mjpeg", "mov", "seed.mov"}};
    for (const auto& o : outputs) {
        QProcess::execute(QStringLiteral("ffmpeg"),
                          {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=s=64x48:r=25", "-frames:v",
                           "8", "-c:v", o[0], "-g", "4", "-f", o[1], "-y", dir + QLatin1Char('/') + QLatin1String(o[2])});
    }
}

QString InputPath()
{
    static const QString path = QDir::tempPath() + QStringLiteral("/kestivo-fuzz-%1.bin").arg(::getpid());
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    HandleWriteSeeds(*argc, *argv, WriteSeeds);
    av_log_set_level(AV_LOG_QUIET);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        QFile file(InputPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    QString error;
    std::unique_ptr<FrameSource> source =
        FrameSource::Open(InputPath(), {}, error, std::make_shared<FrameCache>(std::size_t(16) << 20), false);
    if (!source)
        return 0;
    const std::int64_t count = source->Index().FrameCount();
    for (const std::int64_t frame : {std::int64_t(0), count / 2, count - 1}) {
        if (SharedFrame picture = source->GetFrame(frame, &error))
            (void)FrameToBitmap(*picture, 32, 24, source->Index().rotation, &error);
    }
    return 0;
}
