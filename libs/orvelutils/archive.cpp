#include "archive.h"

#include <QtEndian>
#include <array>

namespace {

// The byte 0xFF followed by the 16-bit value 0xFFFE marks a string of 16-bit characters.
constexpr std::uint8_t kLengthEscape = 0xFF;
constexpr std::uint16_t kWideTag = 0xFFFE;
constexpr std::uint16_t kLength16Escape = 0xFFFF;
constexpr std::uint32_t kLength32Escape = 0xFFFFFFFF;

// Bytes 0x80 to 0x9F of Windows-1252; every other byte is its Latin-1 code point. Spelt out
// because QStringDecoder knows this code page only when Qt was built with ICU. The five bytes that
// the code page leaves undefined map to the C1 controls of the same value, as Windows does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString FromWindows1252(const char* data, std::int64_t size)
{
    QString text(qsizetype(size), Qt::Uninitialized);
    for (std::int64_t i = 0; i < size; ++i) {
        const auto byte = std::uint8_t(data[i]);
        const char16_t unit = (byte >= 0x80 && byte <= 0x9F) ? kCp1252High[byte - 0x80] : byte;
        text[qsizetype(i)] = QChar(unit);
    }
    return text;
}

}  // namespace

CArchive::CArchive(bool loading, QByteArray bytes) : m_loading(loading), m_bytes(std::move(bytes)) {}

CArchive CArchive::ForLoading(QByteArray bytes)
{
    return CArchive(true, std::move(bytes));
}

CArchive CArchive::ForStoring()
{
    return CArchive(false, QByteArray());
}

void CArchive::WriteUInt8(std::uint8_t value)
{
    m_bytes.append(char(value));
}

void CArchive::WriteUInt16(std::uint16_t value)
{
    char le[2];
    qToLittleEndian(value, le);
    m_bytes.append(le, 2);
}

void CArchive::WriteUInt32(std::uint32_t value)
{
    char le[4];
    qToLittleEndian(value, le);
    m_bytes.append(le, 4);
}

void CArchive::WriteUInt64(std::uint64_t value)
{
    char le[8];
    qToLittleEndian(value, le);
    m_bytes.append(le, 8);
}

void CArchive::WriteBytes(const QByteArray& bytes)
{
    m_bytes.append(bytes);
}

void CArchive::WriteString(const QString& text)
{
    const auto length = std::uint64_t(text.size());
    WriteUInt8(kLengthEscape);
    WriteUInt16(kWideTag);
    if (length < kLengthEscape) {
        WriteUInt8(std::uint8_t(length));
    } else {
        WriteUInt8(kLengthEscape);
        if (length < kWideTag) {
            WriteUInt16(std::uint16_t(length));
        } else {
            WriteUInt16(kLength16Escape);
            if (length < kLength32Escape) {
                WriteUInt32(std::uint32_t(length));
            } else {
                WriteUInt32(kLength32Escape);
                WriteUInt64(length);
            }
        }
    }
    for (const QChar unit : text)
        WriteUInt16(unit.unicode());
}

const char* CArchive::Take(std::int64_t count)
{
    if (count < 0 || count > BytesLeft())
        throw CArchiveError("the settings data ends early or holds an impossible size");
    const char* data = m_bytes.constData() + m_readPos;
    m_readPos += count;
    return data;
}

std::uint8_t CArchive::ReadUInt8()
{
    return std::uint8_t(*Take(1));
}

std::uint16_t CArchive::ReadUInt16()
{
    return qFromLittleEndian<std::uint16_t>(Take(2));
}

std::uint32_t CArchive::ReadUInt32()
{
    return qFromLittleEndian<std::uint32_t>(Take(4));
}

std::uint64_t CArchive::ReadUInt64()
{
    return qFromLittleEndian<std::uint64_t>(Take(8));
}

QByteArray CArchive::ReadBytes(std::int64_t count)
{
    const char* data = Take(count);
    return QByteArray(data, qsizetype(count));
}

// The length prefix, read the way it was always read: the 16-bit tag may stand where a 16-bit
// length would, and then a second length prefix follows.
std::uint64_t CArchive::ReadStringLength(bool& wide)
{
    wide = false;
    std::uint8_t length8 = ReadUInt8();
    if (length8 < kLengthEscape)
        return length8;
    std::uint16_t length16 = ReadUInt16();
    if (length16 == kWideTag) {
        wide = true;
        length8 = ReadUInt8();
        if (length8 < kLengthEscape)
            return length8;
        length16 = ReadUInt16();
    }
    if (length16 < kLength16Escape)
        return length16;
    const std::uint32_t length32 = ReadUInt32();
    if (length32 < kLength32Escape)
        return length32;
    return ReadUInt64();
}

QString CArchive::ReadString()
{
    bool wide = false;
    const std::uint64_t length = ReadStringLength(wide);
    const std::uint64_t unitSize = wide ? 2 : 1;
    if (length > std::uint64_t(BytesLeft()) / unitSize)
        throw CArchiveError("a string in the settings data is longer than the data");
    const auto byteCount = std::int64_t(length * unitSize);
    const char* data = Take(byteCount);
    if (!wide)
        return FromWindows1252(data, byteCount);

    QString text(qsizetype(length), Qt::Uninitialized);
    for (std::uint64_t i = 0; i < length; ++i)
        text[qsizetype(i)] = QChar(qFromLittleEndian<std::uint16_t>(data + 2 * i));
    return text;
}

std::size_t CArchive::CheckCount(std::int32_t count, std::int64_t minRecordBytes) const
{
    if (count < 0)
        throw CArchiveError("the settings data holds a negative count");
    if (std::int64_t(count) * minRecordBytes > BytesLeft())
        throw CArchiveError("the settings data holds more records than it has bytes for");
    return std::size_t(count);
}
