#include "gifreader.h"

#include <gif_lib.h>
#include <cstring>

namespace {

struct MemoryReader {
    const QByteArray* bytes;
    qsizetype position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int wanted)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const qsizetype available = std::min<qsizetype>(wanted, reader->bytes->size() - reader->position);
    std::memcpy(buffer, reader->bytes->constData() + reader->position, std::size_t(available));
    reader->position += available;
    return int(available);
}

QString GifError(int code)
{
    const char* text = GifErrorString(code);
    return QString::fromUtf8(text ? text : "not a readable GIF");
}

// Larger logical screens are refused rather than allocated (2^16 x 2^16 would be 4 GiB).
constexpr qint64 kMaxPixels = qint64(1) << 28;

}  // namespace

bool IsGif(const QByteArray& bytes)
{
    return bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a");
}

QImage DecodeGif(const QByteArray& bytes, QString& error)
{
    MemoryReader reader{&bytes};
    int code = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &code);
    if (!gif) {
        error = GifError(code);
        return {};
    }
    QImage image;
    if (qint64(gif->SWidth) * gif->SHeight > kMaxPixels) {
        error = QStringLiteral("the GIF's screen is too large");
    } else if (DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
        error = GifError(gif->Error);
    } else {
        const SavedImage& frame = gif->SavedImages[0];
        const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
        if (!map || map->ColorCount < 1 || map->ColorCount > 256) {
            error = QStringLiteral("the GIF has no usable colour table");
        } else {
            image = QImage(gif->SWidth, gif->SHeight, QImage::Format_Indexed8);
            QVector<QRgb> table(map->ColorCount);
            for (int i = 0; i < map->ColorCount; ++i)
                table[i] = qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
            image.setColorTable(table);
            image.fill(uint(gif->SBackGroundColor < map->ColorCount ? gif->SBackGroundColor : 0));
            // The frame may be smaller than the screen and placed anywhere on it; clip it.
            const GifImageDesc& d = frame.ImageDesc;
            for (int y = 0; y < d.Height; ++y) {
                const int screenY = d.Top + y;
                if (screenY < 0 || screenY >= image.height())
                    continue;
                uchar* row = image.scanLine(screenY);
                for (int x = 0; x < d.Width; ++x) {
                    const int screenX = d.Left + x;
                    const GifByteType index = frame.RasterBits[std::ptrdiff_t(y) * d.Width + x];
                    if (screenX >= 0 && screenX < image.width() && index < map->ColorCount)
                        row[screenX] = index;
                }
            }
        }
    }
    DGifCloseFile(gif, &code);
    return image;
}
