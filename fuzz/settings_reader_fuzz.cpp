// Feeds arbitrary bytes to the settings reader. Besides the sanitizers' checks, a file that reads
// must write back bytes that read and write again to the same bytes: the file is the only copy of
// the user's library, and a load and save must not change it a second time.
//
//   settings_reader_fuzz --write-seeds DIR   writes a few valid files to start a corpus from.
#include "seeds.h"
#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace {

CNodeObj* AddFolder(CNodeObj& parent, const QString& name)
{
    auto folder = std::make_unique<CNodeObj>();
    folder->SetName(name);
    return parent.AddChild(std::move(folder));
}

void AddClip(CNodeObj& folder, const QString& path, int thumbWidth, int thumbHeight)
{
    auto clip = std::make_unique<CClipObj>();
    clip->SetPath(path);
    clip->SetSource(QStringLiteral("/videos/a.mpg"));
    clip->SetCaption(QStringLiteral("a_25"));
    clip->SetNumber(25);
    if (thumbWidth > 0)
        clip->SetThumbnail(thumbWidth, thumbHeight, QByteArray(40 + thumbWidth * thumbHeight * 3, '\x7f'));
    folder.AddClip(std::move(clip));
}

void WriteSeed(const QString& dir, const char* name, CSetObj& settings)
{
    QFile file(dir + QLatin1Char('/') + QLatin1String(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(WriteSettings(settings));
}

void WriteSeeds(const QString& dir)
{
    QDir().mkpath(dir);
    CSetObj defaults(CSetObj::InMemoryTag{});
    WriteSeed(dir, "defaults.dat", defaults);

    CSetObj tree(CSetObj::InMemoryTag{});
    tree.m_imageDir = QString(300, QChar(u'd'));
    CNodeObj* trips = AddFolder(*tree.m_pRootNode, QStringLiteral("Trips"));
    AddClip(*trips, QStringLiteral("/g/x_1.bmp"), 4, 3);
    AddClip(*AddFolder(*trips, QStringLiteral("Deep")), QStringLiteral("/g/x_2.bmp"), 0, 0);
    AddClip(*tree.m_pRootNode, QStringLiteral("/g/x_3.bmp"), 0, 0);
    WriteSeed(dir, "tree.dat", tree);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    HandleWriteSeeds(*argc, *argv, WriteSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    std::unique_ptr<CSetObj> settings = ReadSettings(input);
    if (!settings)
        return 0;
    const QByteArray once = WriteSettings(*settings);
    std::unique_ptr<CSetObj> again = ReadSettings(once);
    if (!again || WriteSettings(*again) != once) {
        std::fprintf(stderr, "a settings file that reads does not write back stably\n");
        std::abort();
    }
    return 0;
}
