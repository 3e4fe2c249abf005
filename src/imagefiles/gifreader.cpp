#include "gifreader.h"

#include <gif_lib.h>
#include <cstring>
#include <vector>

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

// GIF sizes are 16-bit, so a file can claim 4 GiB of pixels in a few bytes; larger pictures than
// this are refused before anything is allocated for them.
constexpr qint64 kMaxPixels = qint64(1) << 26;

struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<GifByteType> indices;
    QVector<QRgb> colours;
};

bool SkipExtension(GifFileType* gif)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) != GIF_OK)
        return false;
    while (block) {
        if (DGifGetExtensionNext(gif, &block) != GIF_OK)
            return false;
    }
    return true;
}

// Reads the image that the last image descriptor announced, rows in display order.
bool ReadFrame(GifFileType* gif, Frame& frame, QString& error)
{
    const GifImageDesc& d = gif->Image;
    if (d.Width <= 0 || d.Height <= 0 || qint64(d.Width) * d.Height > kMaxPixels) {
        error = QStringLiteral("the GIF's picture has an impossible size");
        return false;
    }
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    if (!map || map->ColorCount < 1 || map->ColorCount > 256) {
        error = QStringLiteral("the GIF has no usable colour table");
        return false;
    }
    frame = Frame{d.Left, d.Top, d.Width, d.Height, {}, {}};
    for (int i = 0; i < map->ColorCount; ++i)
        frame.colours.append(qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue));
    frame.indices.resize(std::size_t(d.Width) * std::size_t(d.Height));
    // Interlaced rows arrive in four passes: every 8th from 0, every 8th from 4, every 4th from 2,
    // every 2nd from 1.
    const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
    const int passes = d.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int first = d.Interlace ? starts[pass] : 0, step = d.Interlace ? steps[pass] : 1;
        for (int y = first; y < d.Height; y += step) {
            if (DGifGetLine(gif, frame.indices.data() + std::ptrdiff_t(y) * d.Width, d.Width) != GIF_OK) {
                error = GifError(gif->Error);
                return false;
            }
        }
    }
    return true;
}

bool ReadFirstFrame(GifFileType* gif, Frame& frame, QString& error)
{
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) != GIF_OK) {
            error = GifError(gif->Error);
            return false;
        }
        if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) != GIF_OK) {
                error = GifError(gif->Error);
                return false;
            }
            return ReadFrame(gif, frame, error);
        }
        if (type == EXTENSION_RECORD_TYPE && !SkipExtension(gif)) {
            error = GifError(gif->Error);
            return false;
        }
        if (type == TERMINATE_RECORD_TYPE) {
            error = QStringLiteral("the GIF holds no picture");
            return false;
        }
    }
}

// The frame on its logical screen, the rest in the background colour.
QImage OnScreen(const Frame& frame, int screenWidth, int screenHeight, int background)
{
    QImage image(screenWidth, screenHeight, QImage::Format_Indexed8);
    image.setColorTable(frame.colours);
    image.fill(uint(background < frame.colours.size() ? background : 0));
    for (int y = 0; y < frame.height; ++y) {
        const int screenY = frame.top + y;
        if (screenY < 0 || screenY >= screenHeight)
            continue;
        uchar* row = image.scanLine(screenY);
        for (int x = 0; x < frame.width; ++x) {
            const int screenX = frame.left + x;
            const GifByteType index = frame.indices[std::size_t(y) * std::size_t(frame.width) + std::size_t(x)];
            if (screenX >= 0 && screenX < screenWidth && index < frame.colours.size())
                row[screenX] = index;
        }
    }
    return image;
}

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
    Frame frame;
    if (gif->SWidth <= 0 || gif->SHeight <= 0 || qint64(gif->SWidth) * gif->SHeight > kMaxPixels)
        error = QStringLiteral("the GIF's screen has an impossible size");
    else if (ReadFirstFrame(gif, frame, error))
        image = OnScreen(frame, gif->SWidth, gif->SHeight, gif->SBackGroundColor);
    DGifCloseFile(gif, &code);
    return image;
}
