// One image of the library: its file, where it was grabbed from, its caption and its thumbnail.
#pragma once

#include "cimage.h"

#include <QByteArray>
#include <QRect>
#include <QString>
#include <cstdint>
#include <memory>

class CArchive;
class QPainter;

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

    // Stores the full path of the image file and lets go of the picture of the previous one. The
    // picture is decoded when it is first asked for: the grid draws the stored thumbnail, so
    // decoding every file of the library at start would cost memory and time for nothing.
    void SetPath(const QString& path);
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
    // The 80 x 60 block that the grabs store, from a picture of any size (scaled, aspect not kept).
    static QByteArray MakeThumbBlock(const QImage& picture, int width = 80, int height = 60);
    bool HasThumbnail() const;
    std::int32_t GetThumbWidth() const { return m_thumbWidth; }
    std::int32_t GetThumbHeight() const { return m_thumbHeight; }
    const QByteArray& GetThumbBlock() const { return m_thumb; }

    // The full picture of the file, decoded on first use. Empty when the file cannot be read;
    // GetImageStatus() says why.
    const CImage& GetImage() const;
    const ImageStatus& GetImageStatus() const;

    // An independent copy with the same stored fields and selection; its picture is decoded again
    // from the file when it is asked for.
    std::unique_ptr<CClipObj> Clone() const;

    // Writes or reads the item record. Reading throws CArchiveError on damaged data.
    void Serialize(CArchive& ar);
    // Writes the item record.
    void Write(CArchive& ar) const;

    // Draws the item as one cell of the thumbnail grid: body, shadow (or the pressed look when
    // selected), caption band and thumbnail. A 96 x 100 cell shows an 80 x 60 thumbnail unscaled.
    void Draw(QPainter& painter, const QRect& cell) const;

private:
    void Read(CArchive& ar);

    QString m_strSource;
    mutable CImage m_image;
    mutable ImageStatus m_imageStatus;
    mutable bool m_imageLoaded = false;
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
