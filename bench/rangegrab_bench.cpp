// A range grab of consecutive frames as JPEG files, command to last item delivered, against the
// ffmpeg tool extracting the same frames (timed by bench/compare-ffmpeg, which passes its time and
// its pictures). The pictures are checked to be the same frames: each of ours is nearer to the
// ffmpeg tool's picture of that frame than to those of the frames beside it.
// KESTIVO_BENCH_VIDEO=file KESTIVO_BENCH_FIRST=600 KESTIVO_BENCH_COUNT=300
// [KESTIVO_BENCH_FFMPEG_DIR=dir of out001.jpg... KESTIVO_BENCH_FFMPEG_MS=ms] bench_rangegrab
#include "csourcedlg.h"
#include "picturememory.h"
#include "rangegrab.h"
#include "setobj.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Mean absolute difference of the grey levels, on a 1-in-4 grid of pixels.
double Difference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 1e9;
    double sum = 0;
    int n = 0;
    for (int y = 0; y < a.height(); y += 4) {
        for (int x = 0; x < a.width(); x += 4) {
            sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
            ++n;
        }
    }
    return sum / n;
}

// How many of our pictures (sampled) are not nearest to the ffmpeg tool's picture of the same frame.
int WrongFrames(const std::vector<QString>& ours, const QString& theirDir, int& checked)
{
    const auto theirs = [&](int i) { return QImage(QDir(theirDir).filePath(QStringLiteral("out%1.jpg").arg(i + 1, 3, 10, QLatin1Char('0')))); };
    int wrong = 0;
    checked = 0;
    for (int i = 1; i + 1 < int(ours.size()); i += 13) {
        const QImage mine(ours[std::size_t(i)]);
        const double same = Difference(mine, theirs(i));
        if (same >= Difference(mine, theirs(i - 1)) || same >= Difference(mine, theirs(i + 1))) {
            std::printf("frame %d of the run is not the ffmpeg tool's (difference %.2f)\n", i, same);
            ++wrong;
        }
        ++checked;
    }
    return wrong;
}

}  // namespace

int main(int argc, char** argv)
{
    KeepPictureMemory();  // as the program does
    QApplication app(argc, argv);
    QTemporaryDir images;
    g_SetObj.m_imageDir = images.path();
    g_SetObj.m_imageType = 1;  // JPEG
    const int first = qEnvironmentVariableIntValue("KESTIVO_BENCH_FIRST");
    const int count = qEnvironmentVariableIsSet("KESTIVO_BENCH_COUNT") ? qEnvironmentVariableIntValue("KESTIVO_BENCH_COUNT") : 300;
    CSourceDlg source;
    std::vector<QString> files;
    source.SetClipSink([&files](std::unique_ptr<CClipObj> clip) { files.push_back(clip->GetPath()); });
    if (!source.LoadVideo(qEnvironmentVariable("KESTIVO_BENCH_VIDEO"), 1.0, 0))
        return 1;
    // The player settles on frame 0 first, so that it does not share the cores with the run.
    QTest::qWait(1000);

    std::vector<std::int64_t> frames;
    for (int i = 0; i < count; ++i)
        frames.push_back(first + i);
    QElapsedTimer clock;
    clock.start();
    CRangeGrab* run = source.StartRangeGrab(frames);
    if (!run)
        return 1;
    // Waits as the program's event loop does: nothing spins on the user-interface thread.
    QEventLoop loop;
    QObject::connect(run, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
    const double ms = double(clock.nsecsElapsed()) / 1e6;

    const double theirMs = qEnvironmentVariable("KESTIVO_BENCH_FFMPEG_MS").toDouble();
    std::printf("range grab, %d frames as JPEG: %8.0f ms (%.1f ms a frame)", count, ms, ms / count);
    if (theirMs > 0)
        std::printf("   ffmpeg tool %8.0f ms   ratio %.2f (goal <= 1)", theirMs, ms / theirMs);
    std::printf("\n");
    if (int(files.size()) != count) {
        std::printf("only %zu files\n", files.size());
        return 1;
    }
    const QString theirDir = qEnvironmentVariable("KESTIVO_BENCH_FFMPEG_DIR");
    if (!theirDir.isEmpty()) {
        int checked = 0;
        const int wrong = WrongFrames(files, theirDir, checked);
        std::printf("same frames as the ffmpeg tool: %d of %d checked\n", checked - wrong, checked);
        return wrong == 0 ? 0 : 1;
    }
    return 0;
}
