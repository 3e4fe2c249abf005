// Saving and loading a 1920 x 1080 24-bit picture in each format.
//
//   bench_imagefiles --source FILE.bmp   writes the picture the benchmarks use, for comparisons
//   bench_imagefiles [benchmark flags]   runs the benchmarks
#include "cimage.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A frame-like picture: smooth gradients with fine texture, so that no encoder has it easy.
const CImage& SourcePicture()
{
    static CImage image = [] {
        CImage picture;
        picture.Create(kWidth, kHeight, 24);
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t* row = picture.GetBits() + std::ptrdiff_t(y) * picture.GetPitch();
            for (int x = 0; x < kWidth; ++x) {
                const int texture = ((x * 7 + y * 13) ^ (x * y)) & 15;
                row[3 * x + 0] = std::uint8_t((x * 255 / kWidth + texture) & 0xFF);
                row[3 * x + 1] = std::uint8_t((y * 255 / kHeight + texture) & 0xFF);
                row[3 * x + 2] = std::uint8_t(((x + y) * 255 / (kWidth + kHeight)) & 0xFF);
            }
        }
        return picture;
    }();
    return image;
}

QString BenchFolder()
{
    static QTemporaryDir dir;
    return dir.path();
}

QString PathFor(const ImageTypeInfo& type)
{
    return QStringLiteral("%1/frame.%2").arg(BenchFolder(), QLatin1String(type.extension));
}

void BM_Save(benchmark::State& state)
{
    const ImageTypeInfo& type = ImageTypeFor(std::int32_t(state.range(0)));
    state.SetLabel(type.extension);
    for (auto _ : state) {
        const ImageStatus status = SourcePicture().Save(PathFor(type), type.encoder);
        if (!status.ok())
            state.SkipWithError(status.error.toUtf8().constData());
    }
}

void BM_Load(benchmark::State& state)
{
    const ImageTypeInfo& type = ImageTypeFor(std::int32_t(state.range(0)));
    state.SetLabel(type.extension);
    SourcePicture().Save(PathFor(type), type.encoder);
    for (auto _ : state) {
        CImage image;
        const ImageStatus status = image.Load(PathFor(type));
        if (!status.ok())
            state.SkipWithError(status.error.toUtf8().constData());
        benchmark::DoNotOptimize(image.GetBits());
    }
}

BENCHMARK(BM_Save)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Load)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);  // the image plugins are found through it
    if (argc == 3 && std::strcmp(argv[1], "--source") == 0)
        return SourcePicture().Save(QString::fromLocal8Bit(argv[2]), ImageFormatBMP).ok() ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
