// Feeds arbitrary bytes to the image reader. A picture that loads must be whole: its geometry
// consistent and every row readable.
//
//   image_load_fuzz --write-seeds DIR   writes a small picture in each format to start a corpus.
#include "cimage.h"
#include "seeds.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>

namespace {

void WriteSeeds(const QString& dir)
{
    QDir().mkpath(dir);
    const struct {
        int bpp;
        unsigned flags;
    } kinds[] = {{24, 0}, {32, CImage::kCreateAlpha}, {8, 0}};
    for (const auto& kind : kinds) {
        CImage image;
        image.Create(7, 5, kind.bpp, kind.flags);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 7; ++x)
                image.SetPixel(x, y, MakeColorRef(x * 30, y * 50, 90));
        }
        for (const ImageTypeInfo& type : ImageTypes()) {
            image.Save(QStringLiteral("%1/seed%2.%3").arg(dir).arg(kind.bpp).arg(QLatin1String(type.extension)),
                       type.encoder);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The image plugins (JPEG, TIFF) are found through the application object.
    static QCoreApplication app(*argc, *argv);
    HandleWriteSeeds(*argc, *argv, WriteSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    CImage image;
    if (!image.LoadFromData(input).ok()) {
        if (!image.IsNull())
            std::abort();  // a failed load must leave the image empty
        return 0;
    }
    if (image.GetWidth() <= 0 || image.GetHeight() <= 0 || !image.GetBits())
        std::abort();
    // Touch the first and the last pixel of every row.
    unsigned sum = 0;
    for (int y = 0; y < image.GetHeight(); ++y)
        sum += image.GetPixel(0, y) + image.GetPixel(image.GetWidth() - 1, y);
    return sum == 0xDEADBEEF ? 1 : 0;
}
