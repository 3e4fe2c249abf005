// CImage::Load: Qt's image readers decode; this file decides the depth the picture keeps and
// carries its rows and palette over.
#include "cimage.h"
#include "gifreader.h"
#include "imagecompleteness.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>
#include <cstring>

namespace {

struct TargetDepth {
    int bpp;
    bool alpha;
};

// What the file's own header says of its depth, for the formats whose decoded QImage format does
// not tell (Qt decodes 16-, 24- and 32-bit BMP and 8-bit RGB PNG all to RGB32). 0 = unknown.
int HeaderBitCount(const QByteArray& bytes)
{
    if (bytes.size() >= 30 && bytes.startsWith("BM")) {
        // The 12-byte core header has 16-bit width and height, so its bit count comes earlier.
        const bool coreHeader = qFromLittleEndian<quint32>(bytes.constData() + 14) == 12;
        return qFromLittleEndian<quint16>(bytes.constData() + (coreHeader ? 24 : 28));
    }
    if (bytes.size() >= 26 && bytes.startsWith("\x89PNG\r\n\x1a\n")) {
        const int depth = quint8(bytes[24]);
        switch (quint8(bytes[25])) {  // colour type
        case 0: return depth;        // grey
        case 2: return depth * 3;    // RGB
        case 3: return depth;        // palette
        case 4: return depth * 2;    // grey and alpha
        case 6: return depth * 4;    // RGBA
        }
    }
    return 0;
}

TargetDepth DecideDepth(const QImage& decoded, int headerBits)
{
    switch (decoded.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return {1, false};
    case QImage::Format_Indexed8:
        return {headerBits == 1 || headerBits == 4 ? headerBits : 8, false};
    case QImage::Format_Grayscale8:
        return {8, false};
    case QImage::Format_RGB16:
    case QImage::Format_RGB555:
        return {16, false};
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
        return {24, false};
    case QImage::Format_RGB32:
    case QImage::Format_RGBX8888:
        // 8 bits a channel without alpha: 24-bit unless the header says otherwise.
        if (headerBits == 16 || headerBits == 32)
            return {headerBits, false};
        return {24, false};
    default:
        break;
    }
    // Alpha of any kind is kept as 32-bit with alpha; every other format becomes 32-bit RGB.
    return {32, decoded.hasAlphaChannel()};
}

// Greyscale decodes as an 8-bit palette image with a ramp of greys, as a bitmap holds it.
QImage GreyToIndexed(const QImage& grey)
{
    QImage indexed(grey.width(), grey.height(), QImage::Format_Indexed8);
    QVector<QRgb> ramp(256);
    for (int i = 0; i < 256; ++i)
        ramp[i] = qRgb(i, i, i);
    indexed.setColorTable(ramp);
    for (int y = 0; y < grey.height(); ++y)
        std::memcpy(indexed.scanLine(y), grey.constScanLine(y), std::size_t(grey.width()));
    return indexed;
}

ImageStatus Decode(const QByteArray& bytes, QImage& decoded)
{
    if (IsGif(bytes)) {
        QString error;
        decoded = DecodeGif(bytes, error);
        return decoded.isNull() ? ImageStatus::Fail(error) : ImageStatus::Ok();
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.read(&decoded) || decoded.isNull())
        return ImageStatus::Fail(reader.errorString());
    if (const QString incomplete = IncompletenessOf(bytes); !incomplete.isEmpty()) {
        decoded = QImage();
        return ImageStatus::Fail(incomplete);
    }
    return ImageStatus::Ok();
}

}  // namespace

ImageStatus CImage::Load(const QString& path)
{
    Destroy();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ImageStatus::Fail(QStringLiteral("\"%1\" could not be opened: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    file.close();
    const ImageStatus status = LoadFromData(bytes);
    if (!status.ok())
        return ImageStatus::Fail(QStringLiteral("\"%1\" could not be read: %2").arg(path, status.error));
    return status;
}

ImageStatus CImage::LoadFromData(const QByteArray& bytes)
{
    Destroy();
    QImage decoded;
    if (const ImageStatus status = Decode(bytes, decoded); !status.ok())
        return status;

    TargetDepth depth = DecideDepth(decoded, HeaderBitCount(bytes));
    if (depth.bpp < 8 && decoded.format() == QImage::Format_Indexed8 && decoded.colorCount() > (1 << depth.bpp))
        depth.bpp = 8;  // more colours than the header's depth holds: keep them all
    QImage source = decoded.format() == QImage::Format_Grayscale8 ? GreyToIndexed(decoded)
        : decoded.convertToFormat(depth.bpp == 4 ? QImage::Format_Indexed8 : StorageFormat(depth.bpp, depth.alpha));
    if (!Create(source.width(), source.height(), depth.bpp, depth.alpha ? kCreateAlpha : 0))
        return {E_OUTOFMEMORY, QStringLiteral("no memory for a %1 x %2 picture").arg(source.width()).arg(source.height())};

    if (depth.bpp <= 8) {
        const QVector<QRgb> table = source.colorTable();
        if (table.isEmpty() || table.size() > 256) {
            Destroy();
            return ImageStatus::Fail(QStringLiteral("the picture's palette is empty or too large"));
        }
        static_assert(sizeof(QRgb) == sizeof(std::uint32_t));
        // SetColorTable drops the palette's alpha.
        SetColorTable(0, int(table.size()), reinterpret_cast<const std::uint32_t*>(table.constData()));
    }
    for (int y = 0; y < m_height; ++y) {
        std::uint8_t* row = m_bits + std::ptrdiff_t(y) * m_pitch;
        const uchar* from = source.constScanLine(y);
        if (depth.bpp == 4) {
            for (int x = 0; x < m_width; x += 2)
                row[x / 2] = std::uint8_t((from[x] << 4) | (x + 1 < m_width ? (from[x + 1] & 0x0F) : 0));
        } else {
            std::memcpy(row, from, std::size_t((std::int64_t(m_width) * depth.bpp + 7) / 8));
        }
    }
    return ImageStatus::Ok();
}
