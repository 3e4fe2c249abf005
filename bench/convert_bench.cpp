// The conversion of a decoded frame (already in the frame cache) to the native-size picture a grab
// writes: the quick conversion against the general scaler's careful path, in the same run, for the
// full-HD and the 3840 x 2160 files of bench/compare-ffmpeg.
//
//   KESTIVO_BENCH_VIDEO=hd.mp4 KESTIVO_BENCH_LARGE_VIDEO=uhd.mp4 bench_convert
#include "framesource.h"
#include "picture.h"
#include "picturememory.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Writing more than the processor's caches hold leaves the frame and the heap as a grab finds them:
// last touched when the frame was decoded, many megabytes ago.
void EvictCaches()
{
    static std::vector<std::uint8_t> junk(std::size_t(64) << 20);
    for (std::size_t at = 0; at < junk.size(); at += 64)
        ++junk[at];
}

double MedianMs(const std::function<void()>& work, bool cold = false)
{
    std::vector<double> times;
    for (int i = 0; i < 15; ++i) {
        if (cold)
            EvictCaches();
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::nth_element(times.begin(), times.begin() + 7, times.end());
    return times[7];
}

void Measure(const QString& path)
{
    QString error;
    std::unique_ptr<FrameSource> source = FrameSource::Open(path, {}, error, std::make_shared<FrameCache>(4));
    SharedFrame frame = source ? source->GetFrame(100, &error) : nullptr;
    if (!frame) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
        return;
    }
    const int w = frame->width, h = frame->height;
    std::vector<std::uint8_t> picture(std::size_t(w) * h * 3);
    const double careful = MedianMs([&] { ScaleToBgrGeneral(*frame, w, h, picture.data(), w * 3); });
    const double quick = MedianMs([&] { ScaleToBgr(*frame, w, h, picture.data(), w * 3); });
    const double bitmap = MedianMs([&] { FrameToBitmap(*frame, w, h, 0, &error); });
    const double coldBitmap = MedianMs([&] { FrameToBitmap(*frame, w, h, 0, &error); }, true);
    // Made beside the grab's encoding: it must take less time than that.
    const double thumbnail = MedianMs([&] { FrameToThumbBlock(*frame, w, h, 0, 80, 60); });
    std::printf("%dx%d: careful path %7.2f ms, quick %6.2f ms (%.1f times as fast, goal >= 4), "
                "whole bitmap for a grab %6.2f ms (caches cold %6.2f ms), thumbnail %6.2f ms\n",
                w, h, careful, quick, careful / quick, bitmap, coldBitmap, thumbnail);
}

}  // namespace

int main()
{
    KeepPictureMemory();  // as the program does: a grab's bitmap comes from the heap, not fresh pages
    for (const char* variable : {"KESTIVO_BENCH_VIDEO", "KESTIVO_BENCH_LARGE_VIDEO"}) {
        if (qEnvironmentVariableIsSet(variable))
            Measure(qEnvironmentVariable(variable));
    }
    return 0;
}
