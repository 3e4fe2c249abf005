// Stepping and playing a full-HD H.264 file through the playback graph (the compare script makes
// the file): a forward step against one frame's decode, backward steps with and without the frame
// cache, a grab of the frame on screen, and playback at rates 1 and 2. With a second, larger file
// (3840 x 2160 at 60 frames a second, more than this machine decodes in time): playback at rates 1,
// 2 and 4, the frame on screen against the clock, the longest still picture, and the frames shown
// against what the ffmpeg tool decodes alone in the same time.
//
//   KESTIVO_BENCH_VIDEO=file KESTIVO_BENCH_LARGE_VIDEO=file bench_playback  (either may be left out)
#include "cdsgraph.h"
#include "cfileinfo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
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

struct Run {
    std::int64_t clockFrame = 0;  // where the clock stood when it ended
    std::int64_t shownFrame = 0;  // the frame on screen then
    double meanLagFrames = 0;  // behind the clock, sampled every 10 ms of the run
    double longestStillMs = 0;
    int framesShown = 0;
};

// Plays from the start for a while, timing every picture the widget shows.
Run PlayTimed(CDSGraph& graph, double rate, int milliseconds, double frameRate, std::int64_t frameCount)
{
    graph.SeekTo(0);
    (void)QTest::qWaitFor([&] { return graph.VideoWidget()->CurrentFrame() == 0; }, 30000);
    graph.SetRate(rate);
    QElapsedTimer clock;
    std::vector<double> shownAt;
    const QMetaObject::Connection connection = QObject::connect(
        graph.VideoWidget(), &CVideoWidget::frameShown, [&](qint64) { shownAt.push_back(double(clock.nsecsElapsed()) / 1e6); });
    const auto clockFrame = [&] {
        return std::min<std::int64_t>(std::int64_t(double(clock.nsecsElapsed()) / 1e9 * rate * frameRate), frameCount - 1);
    };
    double lagSum = 0;
    int lagSamples = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        lagSum += double(clockFrame() - graph.VideoWidget()->CurrentFrame());
        ++lagSamples;
    });
    clock.start();
    graph.Play();
    sampler.start(10);
    QTest::qWait(milliseconds);
    sampler.stop();
    Run run;
    run.meanLagFrames = lagSamples ? lagSum / lagSamples : 0;
    const double endedMs = double(clock.nsecsElapsed()) / 1e6;
    run.shownFrame = graph.VideoWidget()->CurrentFrame();
    run.clockFrame = std::min<std::int64_t>(std::int64_t(endedMs / 1000 * rate * frameRate), frameCount - 1);
    graph.Pause();
    QObject::disconnect(connection);
    run.framesShown = int(shownAt.size());
    double previous = 0;
    shownAt.push_back(endedMs);
    for (const double at : shownAt) {
        run.longestStillMs = std::max(run.longestStillMs, at - previous);
        previous = at;
    }
    return run;
}

// Frames a second the ffmpeg tool decodes from the file, decoding alone (its own threads).
double ToolDecodeRate(const QString& path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-hide_banner"), QStringLiteral("-nostats"), QStringLiteral("-benchmark"),
                                            QStringLiteral("-i"), path, QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
    if (!ffmpeg.waitForFinished(600000))
        return 0;
    const QString log = QString::fromLocal8Bit(ffmpeg.readAllStandardError());
    const auto frames = QRegularExpression(QStringLiteral("frame=\\s*(\\d+)")).globalMatch(log);
    QString lastFrames;
    for (auto it = frames; it.hasNext();)
        lastFrames = it.next().captured(1);
    const auto rtime = QRegularExpression(QStringLiteral("rtime=([0-9.]+)s")).match(log);
    const double seconds = rtime.hasMatch() ? rtime.captured(1).toDouble() : 0;
    return seconds > 0 ? lastFrames.toDouble() / seconds : 0;
}

void LargeFilePlayback(const QString& path, QWidget& window)
{
    CFileInfo info;
    if (!info.SetFileName(path)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return;
    }
    const MediaIndex& index = info.Source()->Index();
    CDSGraph graph;
    graph.Init(path, &window, nullptr, info.Source()->Cache(), &index);
    constexpr int kRunMs = 6000;
    std::vector<std::pair<double, Run>> runs;
    for (const double rate : {1.0, 2.0, 4.0})
        runs.emplace_back(rate, PlayTimed(graph, rate, kRunMs, index.frameRate, index.FrameCount()));
    const double toolRate = ToolDecodeRate(path);

    int width = 0, height = 0;
    index.DisplaySize(width, height);
    std::printf("\n%dx%d at %.0f frames a second, %lld frames; the ffmpeg tool decodes %.1f frames a second alone\n",
                width, height, index.frameRate, static_cast<long long>(index.FrameCount()), toolRate);
    for (const auto& [rate, run] : runs) {
        const double off = run.clockFrame > 0 ? 100.0 * double(std::abs(run.shownFrame - run.clockFrame)) / double(run.clockFrame) : 0;
        const double decodable = toolRate * kRunMs / 1000;
        std::printf("playback at %.1f: on screen %5lld, clock %5lld (off %.1f%%, goal <= 5%%; on average %.1f frames behind); "
                    "longest still %4.0f ms (goal <= 250); %d frames shown, %.2f of the tool's decoding\n",
                    rate, static_cast<long long>(run.shownFrame), static_cast<long long>(run.clockFrame), off,
                    run.meanLagFrames, run.longestStillMs, run.framesShown, decodable > 0 ? run.framesShown / decodable : 0);
    }
}

// The full-HD file: stepping, grabbing, playing at rates 1 and 2.
int SteppingAndPlaying(const QString& path, QWidget& window)
{
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
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(960, 540);
    window.show();
    const QString path = qEnvironmentVariable("KESTIVO_BENCH_VIDEO");
    if (!path.isEmpty() && SteppingAndPlaying(path, window) != 0)
        return 1;
    const QString large = qEnvironmentVariable("KESTIVO_BENCH_LARGE_VIDEO");
    if (!large.isEmpty())
        LargeFilePlayback(large, window);
    return 0;
}
