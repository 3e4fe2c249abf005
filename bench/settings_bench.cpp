// Reading the settings file at start-up, for a library of 100 and of 10,000 grabs.
#include "settingsfile.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QByteArray LibraryOf(int items)
{
    CSetObj settings(CSetObj::InMemoryTag{});
    auto folder = std::make_unique<CNodeObj>();
    folder->SetName(QStringLiteral("Grabs"));
    for (int i = 0; i < items; ++i) {
        auto clip = std::make_unique<CClipObj>();
        clip->SetPath(QStringLiteral("/home/user/Kestivo/ImageDir/holiday_%1.jpg").arg(i * 25));
        clip->SetSource(QStringLiteral("/home/user/Videos/holiday.mpg"));
        clip->SetCaption(QStringLiteral("holiday_%1").arg(i * 25));
        clip->SetNumber(i * 25);
        clip->SetThumbnail(80, 60, QByteArray(40 + 80 * 60 * 3, char(i)));
        folder->AddClip(std::move(clip));
    }
    settings.m_pRootNode->AddChild(std::move(folder));
    return WriteSettings(settings);
}

void BM_LoadSettings(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = GetSettingsFilePath(dir.path() + QLatin1Char('/'));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(LibraryOf(int(state.range(0))));
    }
    for (auto _ : state) {
        CSetObj settings(CSetObj::InMemoryTag{});
        if (LoadSettings(path, settings).status != SettingsLoadStatus::Loaded)
            state.SkipWithError("the settings file did not load");
        benchmark::DoNotOptimize(settings.m_pRootNode.get());
    }
    state.SetLabel(QStringLiteral("%1 items").arg(state.range(0)).toStdString());
}

BENCHMARK(BM_LoadSettings)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
