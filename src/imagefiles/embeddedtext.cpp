#include "embeddedtext.h"

#include <QtEndian>
#include <algorithm>
#include <limits>
#include <vector>

namespace {

// Classic TIFF: the header ("II" or "MM", 42, the first directory's offset), then directories of
// 12-byte entries sorted by tag, each followed by the next directory's offset.
constexpr quint16 kTiffMagic = 42;
constexpr quint16 kImageDescription = 270;
constexpr quint16 kAsciiType = 2;
constexpr qsizetype kEntryBytes = 12;

// Reads and writes numbers in the file's own byte order.
class ByteOrder {
public:
    explicit ByteOrder(bool bigEndian) : m_bigEndian(bigEndian) {}

    quint16 U16(const char* at) const
    {
        return m_bigEndian ? qFromBigEndian<quint16>(at) : qFromLittleEndian<quint16>(at);
    }
    quint32 U32(const char* at) const
    {
        return m_bigEndian ? qFromBigEndian<quint32>(at) : qFromLittleEndian<quint32>(at);
    }
    template <typename T>
    QByteArray Encode(T value) const
    {
        QByteArray out(sizeof(T), '\0');
        if (m_bigEndian)
            qToBigEndian(value, out.data());
        else
            qToLittleEndian(value, out.data());
        return out;
    }

private:
    bool m_bigEndian;
};

}  // namespace

bool AddTiffDescription(QByteArray& tiff, const QByteArray& text)
{
    if (tiff.size() < 8 || !(tiff.startsWith("II") || tiff.startsWith("MM")))
        return false;
    const ByteOrder order(tiff.startsWith("MM"));
    const char* bytes = tiff.constData();
    if (order.U16(bytes + 2) != kTiffMagic)
        return false;  // 43 would be BigTIFF, which the writer never makes for a picture we can hold
    const qsizetype directory = order.U32(bytes + 4);
    if (directory < 8 || directory + 2 > tiff.size())
        return false;
    const int count = order.U16(bytes + directory);
    const qsizetype entriesEnd = directory + 2 + count * kEntryBytes;
    if (entriesEnd + 4 > tiff.size())
        return false;

    std::vector<QByteArray> entries;
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = directory + 2 + i * kEntryBytes;
        if (order.U16(bytes + entry) != kImageDescription)
            entries.push_back(tiff.mid(entry, kEntryBytes));
    }
    const QByteArray nextDirectory = tiff.mid(entriesEnd, 4);

    // ASCII values end in a NUL; one of up to four bytes sits in the entry itself.
    const QByteArray value = text + '\0';
    const qint64 grownSize = tiff.size() + value.size() + 2 + 2 + qint64(entries.size() + 1) * kEntryBytes + 4;
    if (grownSize > std::numeric_limits<quint32>::max() || entries.size() >= 0xFFFF)
        return false;  // beyond what classic TIFF offsets and entry counts reach

    QByteArray valueField = value.leftJustified(4, '\0');
    if (value.size() > 4) {
        if (tiff.size() % 2)
            tiff.append('\0');  // offsets are to word boundaries
        valueField = order.Encode(quint32(tiff.size()));
        tiff.append(value);
    }
    if (tiff.size() % 2)
        tiff.append('\0');
    const quint32 newDirectory = quint32(tiff.size());
    const QByteArray description = order.Encode(kImageDescription) + order.Encode(kAsciiType)
        + order.Encode(quint32(value.size())) + valueField;
    const auto place = std::find_if(entries.begin(), entries.end(), [&](const QByteArray& entry) {
        return order.U16(entry.constData()) > kImageDescription;
    });
    entries.insert(place, description);

    tiff.append(order.Encode(quint16(entries.size())));
    for (const QByteArray& entry : entries)
        tiff.append(entry);
    tiff.append(nextDirectory);
    const QByteArray offset = order.Encode(newDirectory);
    std::copy(offset.begin(), offset.end(), tiff.begin() + 4);
    return true;
}
