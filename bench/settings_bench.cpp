// Reading the settings file at start-up, for a library of 100 and of 10,000 grabs; writing it
// whole at exit against appending one change to the library's journal, which must cost the same
// whatever the size of the library.
#include "libraryjournal.h"
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

// The whole file, written atomically and synced, as at every orderly exit.
void BM_SaveSettings(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = GetSettingsFilePath(dir.path() + QLatin1Char('/'));
    const std::unique_ptr<CSetObj> settings = ReadSettings(LibraryOf(int(state.range(0))));
    for (auto _ : state) {
        if (!SaveSettings(path, *settings).ok)
            state.SkipWithError("the settings file was not written");
    }
    state.SetLabel(QStringLiteral("%1 items").arg(state.range(0)).toStdString());
}

BENCHMARK(BM_SaveSettings)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// One grab added to the last folder of the library, recorded and synced.
void BM_JournalOneGrab(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::unique_ptr<CSetObj> settings = ReadSettings(LibraryOf(int(state.range(0))));
    std::unique_ptr<CLibraryJournal> journal =
        CLibraryJournal::Create(dir.filePath(QStringLiteral("Options.dat.journal")), {});
    const CNodeObj& folder = *settings->m_pRootNode->GetChildList().GetAt(0);
    const CClipObj* grab = folder.GetClipList().GetAt(folder.GetClipList().GetCount() - 1);
    for (auto _ : state) {
        journal->ClipsAdded(folder, {grab});
        if (!journal->Healthy())
            state.SkipWithError("the journal was not written");
    }
    state.SetLabel(QStringLiteral("%1 items").arg(state.range(0)).toStdString());
}

BENCHMARK(BM_JournalOneGrab)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A record of one grab's size written without waiting for the disk: what the sync adds above.
void BM_JournalRecordWithoutSync(benchmark::State& state)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("record")));
    file.open(QIODevice::WriteOnly);
    const QByteArray record(8 + 1 + 8 + 4 + 14600, 'r');
    for (auto _ : state) {
        file.write(record);
        file.flush();
    }
}

BENCHMARK(BM_JournalRecordWithoutSync)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
