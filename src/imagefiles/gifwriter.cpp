#include "gifwriter.h"

#include <QHash>
#include <QVector>
#include <gif_lib.h>
#include <libimagequant.h>
#include <memory>
#include <vector>

namespace {

// An indexed picture ready for the GIF writer.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<GifByteType> indices;  // width x height, top row first
    QVector<QRgb> palette;             // at most 256 entries
    int transparentIndex = -1;
};

IndexedPicture FromPaletteImage(const QImage& image)
{
    const QImage indexed = image.convertToFormat(QImage::Format_Indexed8);
    IndexedPicture picture{indexed.width(), indexed.height(), {}, indexed.colorTable(), -1};
    picture.indices.resize(std::size_t(picture.width) * std::size_t(picture.height));
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(indexed.constScanLine(y), picture.width, picture.indices.begin() + std::ptrdiff_t(y) * picture.width);
    return picture;
}

// A GIF pixel is either opaque or transparent.
constexpr int kOpaqueFrom = 128;

// Exact palette when the picture has few colours (screenshots, test cards, titles): no dithering,
// every pixel kept. Fails (returns false) at the 257th colour.
bool ExactPalette(const QImage& argb, IndexedPicture& picture)
{
    QHash<QRgb, int> indexOf;
    picture = IndexedPicture{argb.width(), argb.height(), {}, {}, -1};
    picture.indices.resize(std::size_t(picture.width) * std::size_t(picture.height));
    auto out = picture.indices.begin();
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const bool transparent = qAlpha(row[x]) < kOpaqueFrom;
            const QRgb pixel = transparent ? 0 : (row[x] | 0xFF000000u);  // one transparent colour
            auto it = indexOf.constFind(pixel);
            if (it == indexOf.constEnd()) {
                if (picture.palette.size() == 256)
                    return false;
                if (transparent)
                    picture.transparentIndex = int(picture.palette.size());
                it = indexOf.insert(pixel, int(picture.palette.size()));
                picture.palette.append(pixel);
            }
            *out++ = GifByteType(*it);
        }
    }
    return true;
}

template <class T, void (*Free)(T*)>
struct LiqDeleter {
    void operator()(T* p) const { Free(p); }
};
using LiqAttr = std::unique_ptr<liq_attr, LiqDeleter<liq_attr, liq_attr_destroy>>;
using LiqImage = std::unique_ptr<liq_image, LiqDeleter<liq_image, liq_image_destroy>>;
using LiqResult = std::unique_ptr<liq_result, LiqDeleter<liq_result, liq_result_destroy>>;

ImageStatus Quantise(const QImage& image, IndexedPicture& picture)
{
    // Four bytes a pixel keeps the rows contiguous, as liq_image_create_rgba needs them. Alpha is
    // made all or nothing first, so that no palette entry is spent on a shade GIF cannot show.
    QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    if (rgba.hasAlphaChannel()) {
        for (int y = 0; y < rgba.height(); ++y) {
            uchar* p = rgba.scanLine(y);
            for (int x = 0; x < rgba.width(); ++x, p += 4)
                p[3] = p[3] < kOpaqueFrom ? 0 : 255;
        }
    }
    LiqAttr attr(liq_attr_create());
    if (!attr)
        return ImageStatus::Fail(QStringLiteral("the GIF palette could not be prepared"));
    // Speed 8 of 10: a full-HD frame in about 0.3 s (the default, 4, takes over a second) with
    // little visible loss once dithered.
    liq_set_speed(attr.get(), 8);
    LiqImage input(liq_image_create_rgba(attr.get(), rgba.constBits(), rgba.width(), rgba.height(), 0));
    liq_result* rawResult = nullptr;
    if (!input || liq_image_quantize(input.get(), attr.get(), &rawResult) != LIQ_OK)
        return ImageStatus::Fail(QStringLiteral("the colours could not be reduced to a GIF palette"));
    LiqResult result(rawResult);
    liq_set_dithering_level(result.get(), 1.0f);

    picture = IndexedPicture{rgba.width(), rgba.height(), {}, {}, -1};
    picture.indices.resize(std::size_t(picture.width) * std::size_t(picture.height));
    if (liq_write_remapped_image(result.get(), input.get(), picture.indices.data(), picture.indices.size()) != LIQ_OK)
        return ImageStatus::Fail(QStringLiteral("the picture could not be mapped to its GIF palette"));

    const liq_palette* palette = liq_get_palette(result.get());
    int leastAlpha = kOpaqueFrom;  // the most transparent entry, if any, is the transparent colour
    for (unsigned i = 0; i < palette->count; ++i) {
        const liq_color& c = palette->entries[i];
        picture.palette.append(qRgba(c.r, c.g, c.b, c.a));
        if (c.a < leastAlpha) {
            leastAlpha = c.a;
            picture.transparentIndex = int(i);
        }
    }
    return ImageStatus::Ok();
}

int AppendToByteArray(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

QString GifError(int code)
{
    const char* text = GifErrorString(code);
    return QStringLiteral("GIF writer: %1").arg(QString::fromUtf8(text ? text : "unknown error"));
}

ImageStatus WriteGif(const IndexedPicture& picture, QByteArray& out)
{
    // The colour map's size must be a power of two; unused entries stay black.
    const int mapSize = 1 << GifBitSize(int(picture.palette.size()));
    std::vector<GifColorType> colors(std::size_t(mapSize), GifColorType{0, 0, 0});
    for (int i = 0; i < picture.palette.size(); ++i) {
        const QRgb c = picture.palette[i];
        colors[std::size_t(i)] = GifColorType{GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))};
    }

    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendToByteArray, &error);
    if (!gif)
        return ImageStatus::Fail(GifError(error));
    ColorMapObject* map = GifMakeMapObject(mapSize, colors.data());
    bool ok = map != nullptr;
    EGifSetGifVersion(gif, true);
    ok = ok && EGifPutScreenDesc(gif, picture.width, picture.height, 8, 0, map) == GIF_OK;
    if (ok && picture.transparentIndex >= 0) {
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, picture.transparentIndex};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < picture.height; ++y) {
        auto* row = const_cast<GifByteType*>(picture.indices.data() + std::ptrdiff_t(y) * picture.width);
        ok = EGifPutLine(gif, row, picture.width) == GIF_OK;
    }
    const int lastError = gif->Error;
    int closeError = 0;
    const bool closed = EGifCloseFile(gif, &closeError) == GIF_OK;
    GifFreeMapObject(map);
    if (!ok)
        return ImageStatus::Fail(GifError(lastError));
    if (!closed)
        return ImageStatus::Fail(GifError(closeError));
    return ImageStatus::Ok();
}

}  // namespace

ImageStatus EncodeGif(const QImage& image, QByteArray& out)
{
    if (image.isNull())
        return ImageStatus::Fail(QStringLiteral("there is no picture to save"));
    // The logical screen's size is a 16-bit field.
    if (image.width() > 0xFFFF || image.height() > 0xFFFF)
        return ImageStatus::Fail(QStringLiteral("a GIF can be at most 65535 pixels wide and high"));

    IndexedPicture picture;
    if (image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono) {
        picture = FromPaletteImage(image);
    } else if (!ExactPalette(image.convertToFormat(QImage::Format_ARGB32), picture)) {
        const ImageStatus quantised = Quantise(image, picture);
        if (!quantised.ok())
            return quantised;
    }
    out.clear();
    return WriteGif(picture, out);
}
