#include "imagecompleteness.h"

#include "dibbitmap.h"

#include <QtEndian>

namespace {

const QString kCutShort = QStringLiteral("the file ends before the picture does");

// Uncompressed and bit-field bitmaps have a fixed size: the pixel offset plus the padded rows.
QString BmpIncompleteness(const QByteArray& bytes)
{
    if (bytes.size() < 34)
        return kCutShort;
    const char* d = bytes.constData();
    const auto headerSize = qFromLittleEndian<quint32>(d + 14);
    if (headerSize < 40)
        return {};  // the old core header: no compression field to go by
    const auto offset = qFromLittleEndian<quint32>(d + 10);
    const std::int64_t width = qFromLittleEndian<qint32>(d + 18);
    const std::int64_t height = qFromLittleEndian<qint32>(d + 22);
    const auto bpp = qFromLittleEndian<quint16>(d + 28);
    const auto compression = qFromLittleEndian<quint32>(d + 30);
    constexpr quint32 kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    if (compression != kRgb && compression != kBitFields && compression != kAlphaBitFields)
        return {};
    const std::int64_t needed = std::int64_t(offset) + DibBitmap::Stride(width, bpp) * (height < 0 ? -height : height);
    return bytes.size() < needed ? kCutShort : QString();
}

// The entropy-coded data of a JPEG cannot hold a marker (0xFF is stuffed), so a complete file has
// its end-of-image marker after the start of its last scan. An embedded thumbnail's end marker
// comes before the main scans and does not count.
QString JpegIncompleteness(const QByteArray& bytes)
{
    const qsizetype lastScan = bytes.lastIndexOf(QByteArrayView("\xFF\xDA", 2));
    const qsizetype end = bytes.lastIndexOf(QByteArrayView("\xFF\xD9", 2));
    return end > lastScan ? QString() : kCutShort;
}

}  // namespace

QString IncompletenessOf(const QByteArray& bytes)
{
    if (bytes.startsWith("BM"))
        return BmpIncompleteness(bytes);
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return JpegIncompleteness(bytes);
    return {};
}
