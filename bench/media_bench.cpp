// Frame-exact access to a full-HD H.264 file (the compare script makes it): random frames, the
// indexing of the whole file, and a reopen with the cached index.
//
//   KESTIVO_BENCH_VIDEO=file KESTIVO_BENCH_FRAMES="12 340 ..." bench_media [benchmark flags]
#include "cfileinfo.h"
#include "indexcache.h"

#include <QFile>
#include <QStringList>
#include <benchmark/benchmark.h>

namespace {

QString Video()
{
    return qEnvironmentVariable("KESTIVO_BENCH_VIDEO");
}

std::vector<std::int64_t> Frames()
{
    std::vector<std::int64_t> frames;
    for (const QString& f : qEnvironmentVariable("KESTIVO_BENCH_FRAMES").split(QLatin1Char(' '), Qt::SkipEmptyParts))
        frames.push_back(f.toLongLong());
    return frames;
}

// One random frame at full size, as a grab asks for it; the file is open, the frame not cached.
void BM_RandomFrame(benchmark::State& state)
{
    QString error;
    std::unique_ptr<FrameSource> source = FrameSource::Open(Video(), {}, error, std::make_shared<FrameCache>(1));
    if (!source) {
        state.SkipWithError(error.toUtf8().constData());
        return;
    }
    CFileInfo info;
    info.SetFileName(Video());
    const std::vector<std::int64_t> frames = Frames();
    std::size_t next = 0;
    for (auto _ : state) {
        // A fresh file object per request, so that no decoded frame helps the next one.
        state.PauseTiming();
        CFileInfo fresh;
        fresh.SetFileName(Video());
        state.ResumeTiming();
        auto picture = fresh.GetFrameBitmap(frames[next++ % frames.size()], 1920, 1080);
        benchmark::DoNotOptimize(picture.get());
    }
}

void BM_IndexWholeFile(benchmark::State& state)
{
    for (auto _ : state) {
        QString error;
        auto source = FrameSource::Open(Video(), {}, error, nullptr, false);
        benchmark::DoNotOptimize(source.get());
    }
}

void BM_OpenWithCachedIndex(benchmark::State& state)
{
    QString error;
    FrameSource::Open(Video(), {}, error);  // makes sure the cache holds the index
    for (auto _ : state) {
        auto source = FrameSource::Open(Video(), {}, error);
        if (!source || !source->IndexCameFromDiskCache())
            state.SkipWithError("the index did not come from the cache");
    }
}

BENCHMARK(BM_RandomFrame)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_IndexWholeFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenWithCachedIndex)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
