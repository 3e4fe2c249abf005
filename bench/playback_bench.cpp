// Stepping and playing a full-HD H.264 file through the playback graph (the compare script makes
// the file): a forward step against one frame's decode, backward steps with and without the frame
// cache, a grab of the frame on screen, and playback at rates 1 and 2.
//
//   KESTIVO_BENCH_VIDEO=file bench_playback
#include "cdsgraph.h"
#include "cfileinfo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Milliseconds from a seek until the widget shows the frame.
double TimedSeek(CDSGraph& graph, std::int64_t frame)
{
    // Timed to the widget's signal, not by polling, so that the figure is not rounded to a poll.
    QEventLoop loop;
    QObject::connect(graph.VideoWidget(), &CVideoWidget::frameShown, &loop, [&](qint64 shown) {
        if (shown == frame)
            loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    graph.SeekTo(frame);
    loop.exec();
    return double(clock.nsecsElapsed()) / 1e6;
}

// One frame's decode: sequential frames from a source that keeps nothing.
double FrameDecodeMs(const QString& path)
{
    QString error;
    auto source = FrameSource::Open(path, {}, error, std::make_shared<FrameCache>(1));
    source->GetFrame(300);
    QElapsedTimer clock;
    clock.start();
    for (std::int64_t f = 301; f <= 400; ++f)
        source->GetFrame(f);
    return double(clock.nsecsElapsed()) / 1e6 / 100;
}

// A user's steps come at most at the keyboard's repeat rate (about 30 a second); between two
// steps the player has idle time, which it uses to make the neighbouring frames ready.
constexpr int kKeyRepeatMs = 33;

std::vector<double> BackwardSteps(CDSGraph& graph, std::int64_t from, int steps, int idleMs)
{
    std::vector<double> times;
    TimedSeek(graph, from);
    for (int i = 1; i <= steps; ++i) {
        QTest::qWait(idleMs);
        times.push_back(TimedSeek(graph, from - i));
    }
    return times;
}

void Play(CDSGraph& graph, double rate, int milliseconds, std::uint64_t& due, std::uint64_t& shown)
{
    std::uint64_t due0, shown0;
    graph.SeekTo(0);
    (void)QTest::qWaitFor([&] { return graph.VideoWidget()->CurrentFrame() == 0; }, 30000);
    graph.SetRate(rate);
    graph.GetPlaybackFigures(due0, shown0);
    graph.Play();
    QTest::qWait(milliseconds);
    graph.Pause();
    graph.GetPlaybackFigures(due, shown);
    due -= due0;
    shown -= shown0;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString path = qEnvironmentVariable("KESTIVO_BENCH_VIDEO");
    QWidget window;
    window.resize(960, 540);
    window.show();

    CFileInfo info;
    if (!info.SetFileName(path)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    CDSGraph graph;
    graph.Init(path, &window, nullptr, info.Source()->Cache());

    const double decodeMs = FrameDecodeMs(path);
    std::vector<double> forward, forwardAtOnce;
    for (std::int64_t at = 260; at < 1460; at += 60) {
        TimedSeek(graph, at);
        QTest::qWait(kKeyRepeatMs);
        forward.push_back(TimedSeek(graph, at + 1));
        forwardAtOnce.push_back(TimedSeek(graph, at + 2));  // no idle time before it
    }
    const double forwardMs = Median(forward);
    const double forwardAtOnceMs = Median(forwardAtOnce);
    const double backwardMs = Median(BackwardSteps(graph, 1240, 100, kKeyRepeatMs));
    const double backwardAtOnceMs = Median(BackwardSteps(graph, 1140, 100, 0));

    // The grab of the frame on screen: the shared cache has it.
    const std::int64_t before = info.Source()->GetCounters().packetsDecoded;
    QElapsedTimer grabClock;
    grabClock.start();
    auto picture = info.GetFrameBitmap(graph.GetCurFrame(), 1920, 1080);
    const double grabMs = double(grabClock.nsecsElapsed()) / 1e6;
    const std::int64_t grabDecoded = info.Source()->GetCounters().packetsDecoded - before;

    CDSGraph uncached;
    uncached.Init(path, &window, nullptr, std::make_shared<FrameCache>(1));
    const double uncachedBackwardMs = Median(BackwardSteps(uncached, 1240, 20, kKeyRepeatMs));

    std::uint64_t due1, shown1, due2, shown2;
    Play(graph, 1.0, 8000, due1, shown1);
    Play(graph, 2.0, 8000, due2, shown2);

    std::printf("one frame's decode          %8.2f ms\n", decodeMs);
    std::printf("steps %d ms apart (key repeat):\n", kKeyRepeatMs);
    std::printf("forward step                %8.2f ms   ratio to a decode %.2f (goal <= 1.5)\n", forwardMs, forwardMs / decodeMs);
    std::printf("forward step, no idle time  %8.2f ms   ratio to a decode %.2f\n", forwardAtOnceMs, forwardAtOnceMs / decodeMs);
    std::printf("backward step, median       %8.2f ms   ratio to forward  %.2f (goal <= 3)\n", backwardMs, backwardMs / forwardMs);
    std::printf("backward step, no idle time %8.2f ms   ratio to a decode %.2f\n", backwardAtOnceMs, backwardAtOnceMs / decodeMs);
    std::printf("backward step without cache %8.2f ms   ratio to forward  %.2f\n", uncachedBackwardMs, uncachedBackwardMs / forwardMs);
    std::printf("grab of the frame on screen %8.2f ms   packets decoded %lld (goal 0)%s\n", grabMs,
                static_cast<long long>(grabDecoded), picture ? "" : " FAILED");
    std::printf("playback at 1.0             %llu of %llu frames shown (%.1f%%, goal >= 99%%)\n",
                static_cast<unsigned long long>(shown1), static_cast<unsigned long long>(due1), due1 ? 100.0 * shown1 / due1 : 0);
    std::printf("playback at 2.0             %llu of %llu frames shown (%.1f%%)\n",
                static_cast<unsigned long long>(shown2), static_cast<unsigned long long>(due2), due2 ? 100.0 * shown2 / due2 : 0);
    return 0;
}
