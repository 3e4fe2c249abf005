#include "testvideos.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

QStringList List(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* item : items)
        list << QString::fromLatin1(item);
    return list;
}

}  // namespace

const std::vector<TestVideo>& TestVideos()
{
    static const std::vector<TestVideo> videos = {
        {"h264.mp4", 300, List({"-c:v", "libx264", "-bf", "3", "-g", "250", "-keyint_min", "250", "-sc_threshold", "0", "-preset", "veryfast"})},
        {"hevc.mp4", 150, List({"-c:v", "libx265", "-x265-params", "keyint=60:bframes=4:log-level=error", "-preset", "ultrafast"})},
        {"divx.avi", 120, List({"-c:v", "mpeg4", "-bf", "2", "-g", "24", "-vtag", "DIVX", "-q:v", "4"})},
        {"mpeg1.mpg", 120, List({"-c:v", "mpeg1video", "-bf", "2", "-g", "15", "-q:v", "4", "-f", "mpeg"})},
        {"mpeg2.mpg", 120, List({"-c:v", "mpeg2video", "-bf", "2", "-g", "15", "-q:v", "4", "-f", "mpeg"})},
        {"mpeg2.vob", 120, List({"-c:v", "mpeg2video", "-bf", "2", "-g", "15", "-q:v", "4", "-f", "vob"})},
        {"mpeg2.ts", 120, List({"-c:v", "mpeg2video", "-bf", "2", "-g", "15", "-q:v", "4", "-f", "mpegts"})},
        {"mpeg2.m2v", 120, List({"-c:v", "mpeg2video", "-bf", "2", "-g", "15", "-q:v", "4", "-f", "mpeg2video"})},
        {"h264_offset.ts", 150, List({"-c:v", "libx264", "-bf", "2", "-g", "50", "-preset", "veryfast", "-output_ts_offset", "20000", "-f", "mpegts"})},
        {"h264_interlaced.ts", 100, List({"-c:v", "libx264", "-bf", "2", "-g", "25", "-preset", "veryfast", "-flags", "+ildct+ilme", "-x264-params", "interlaced=1:tff=1", "-f", "mpegts"})},
        {"vp9.webm", 100, List({"-c:v", "libvpx-vp9", "-g", "30", "-deadline", "realtime", "-cpu-used", "8", "-b:v", "400k"})},
        {"wmv2.wmv", 100, List({"-c:v", "wmv2", "-g", "25", "-q:v", "4"})},
        {"mjpeg.mov", 60, List({"-c:v", "mjpeg", "-q:v", "4"})},
        // Uneven frame timing: 25, 40 and 55 ms between frames in turn.
        {"vfr.mkv", 120, List({"-c:v", "libx264", "-bf", "2", "-g", "30", "-preset", "veryfast", "-fps_mode", "passthrough"}),
         QStringLiteral(",settb=1/1000,setpts=N*40+if(eq(mod(N\\,3)\\,0)\\,15\\,0)")},
    };
    return videos;
}

bool FfmpegAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

QString MakeTestVideo(const QString& folder, const TestVideo& video)
{
    const QString path = folder + QLatin1Char('/') + QLatin1String(video.name);
    if (QFileInfo::exists(path))
        return path;
    const QString numbering =
        QStringLiteral("color=c=black:s=%1x%2:r=25,format=yuv420p,"
                       "geq=lum='if(bitand(N,pow(2,floor(X*12/W))),235,16)':cb=128:cr=128")
            .arg(video.width)
            .arg(video.height);
    QStringList arguments{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                          QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                          numbering + video.filter, QStringLiteral("-frames:v"), QString::number(video.frames)};
    arguments << video.encoder << QStringLiteral("-y") << path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        qWarning("ffmpeg failed for %s: %s", video.name, ffmpeg.readAllStandardError().constData());
        return {};
    }
    return path;
}

namespace {

// Stripe k is white when bit k of the number is set; sampled across the middle row.
template <class GreenAt>
int ReadStripes(int width, GreenAt greenAt)
{
    if (width < 12)
        return -1;
    int number = 0;
    for (int bit = 0; bit < 12; ++bit) {
        const int green = greenAt(int((bit + 0.5) * width / 12));
        if (green > 200)
            number |= 1 << bit;
        else if (green > 60)
            return -1;  // neither white nor black: not a clean picture of the pattern
    }
    return number;
}

}  // namespace

int ReadFrameNumber(const DibBitmap& picture)
{
    if (picture.bpp != 24)
        return -1;
    const std::int64_t offset = (picture.Rows() / 2) * picture.Stride();
    return ReadStripes(picture.width, [&](int x) { return int(picture.pixels[std::size_t(offset + x * 3 + 1)]); });
}

int ReadFrameNumber(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    return ReadStripes(rgb.width(), [&](int x) { return qGreen(rgb.pixel(x, rgb.height() / 2)); });
}
