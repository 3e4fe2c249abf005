// One image of the library: its file, where it was grabbed from, its caption and its thumbnail.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

class CArchive;

// Thread: created and filled on any one thread (a grab's worker); once handed to the library, used
// on the user-interface thread only.
class CClipObj {
public:
    enum Kind : std::int32_t { kVideoFile = 0, kCaptureDevice = 1 };

    // The thumbnail block starts with this many reserved bytes (room for a bitmap header).
    static constexpr int kThumbHeaderBytes = 40;
    // The smallest item record: three empty strings, four 32-bit fields, an empty block.
    static constexpr std::int64_t kMinRecordBytes = 3 * 1 + 4 * 4 + kThumbHeaderBytes;

    CClipObj() = default;
    CClipObj(const CClipObj&) = delete;
    CClipObj& operator=(const CClipObj&) = delete;

    // Stores the full path of the image file.
    void SetPath(const QString& path) { m_strPath = path; }
    QString GetPath() const { return m_strPath; }
    void SetCaption(const QString& caption) { m_strCaption = caption; }
    QString GetCaption() const { return m_strCaption; }
    void SetSource(const QString& videoPath) { m_strSource = videoPath; }
    QString GetSource() const { return m_strSource; }
    void SetNumber(std::int32_t number) { m_nNumber = number; }
    std::int32_t GetNumber() const { return m_nNumber; }
    // Kept as stored: a value other than the two kinds survives a load and a save.
    void SetKind(std::int32_t kind) { m_nKind = kind; }
    std::int32_t GetKind() const { return m_nKind; }
    bool IsSelected() const { return m_bSelected; }
    void SetSelected(bool selected) { m_bSelected = selected; }
    int GetShadow() const { return m_nShadow; }

    // block: kThumbHeaderBytes reserved bytes, then width x height pixels of blue, green, red,
    // rows bottom-up without padding. An empty block means no thumbnail.
    void SetThumbnail(std::int32_t width, std::int32_t height, QByteArray block);
    bool HasThumbnail() const;
    std::int32_t GetThumbWidth() const { return m_thumbWidth; }
    std::int32_t GetThumbHeight() const { return m_thumbHeight; }
    const QByteArray& GetThumbBlock() const { return m_thumb; }

    // Writes or reads the item record. Reading throws CArchiveError on damaged data.
    void Serialize(CArchive& ar);

private:
    void Write(CArchive& ar) const;
    void Read(CArchive& ar);

    QString m_strSource;
    std::int32_t m_nNumber = 0;
    std::int32_t m_nKind = kVideoFile;
    bool m_bSelected = false;
    int m_nShadow = 4;
    QString m_strCaption;
    QString m_strPath;
    QByteArray m_thumb;
    std::int32_t m_thumbWidth = 0;
    std::int32_t m_thumbHeight = 0;
};
