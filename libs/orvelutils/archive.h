// The binary archive in which the settings file stores its records: little-endian integers and
// length-prefixed strings, no header, no version.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <stdexcept>

// Raised while loading when the data ends early or holds a count or size that the remaining bytes
// cannot satisfy. The archive is then of no further use.
class CArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Not thread-safe; one archive is used by one thread for one load or one store.
class CArchive {
public:
    // An archive that reads the given bytes.
    static CArchive ForLoading(QByteArray bytes);
    // An archive that collects what is written, in memory.
    static CArchive ForStoring();

    bool IsLoading() const { return m_loading; }
    bool IsStoring() const { return !m_loading; }

    // Storing.
    void WriteUInt8(std::uint8_t value);
    void WriteUInt16(std::uint16_t value);
    void WriteUInt32(std::uint32_t value);
    void WriteInt32(std::int32_t value) { WriteUInt32(std::uint32_t(value)); }
    void WriteUInt64(std::uint64_t value);
    void WriteBytes(const QByteArray& bytes);
    // Writes the string record: the 16-bit tag, the length in its shortest form, UTF-16LE text.
    void WriteString(const QString& text);
    const QByteArray& StoredBytes() const { return m_bytes; }

    // Loading; each throws CArchiveError rather than read past the end.
    std::uint8_t ReadUInt8();
    std::uint16_t ReadUInt16();
    std::uint32_t ReadUInt32();
    std::int32_t ReadInt32() { return std::int32_t(ReadUInt32()); }
    std::uint64_t ReadUInt64();
    QByteArray ReadBytes(std::int64_t count);
    // Reads a string record, tagged (UTF-16LE) or untagged (8-bit text, read as Windows-1252).
    QString ReadString();

    std::int64_t BytesLeft() const { return m_bytes.size() - m_readPos; }
    std::int64_t Position() const { return m_readPos; }

    // Validates a record count read from the data before anything is allocated for it: it must not
    // be negative, and count records of at least minRecordBytes each must fit in what is left.
    std::size_t CheckCount(std::int32_t count, std::int64_t minRecordBytes) const;

private:
    explicit CArchive(bool loading, QByteArray bytes);
    const char* Take(std::int64_t count);
    std::uint64_t ReadStringLength(bool& wide);

    bool m_loading;
    QByteArray m_bytes;
    std::int64_t m_readPos = 0;
};
