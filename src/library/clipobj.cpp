#include "clipobj.h"

#include "archive.h"

void CClipObj::SetPath(const QString& path)
{
    m_strPath = path;
    m_image.Destroy();
    m_imageStatus = ImageStatus::Ok();
    m_imageLoaded = false;
}

const CImage& CClipObj::GetImage() const
{
    if (!m_imageLoaded) {
        m_imageStatus = m_image.Load(m_strPath);
        m_imageLoaded = true;
    }
    return m_image;
}

const ImageStatus& CClipObj::GetImageStatus() const
{
    GetImage();
    return m_imageStatus;
}

std::unique_ptr<CClipObj> CClipObj::Clone() const
{
    auto copy = std::make_unique<CClipObj>();
    copy->m_strSource = m_strSource;
    copy->m_nNumber = m_nNumber;
    copy->m_nKind = m_nKind;
    copy->m_bSelected = m_bSelected;
    copy->m_nShadow = m_nShadow;
    copy->m_strCaption = m_strCaption;
    copy->SetPath(m_strPath);
    copy->m_thumbWidth = m_thumbWidth;
    copy->m_thumbHeight = m_thumbHeight;
    copy->m_thumb = m_thumb;
    // QByteArray shares its data until written; detach so the copy owns its block outright.
    copy->m_thumb.detach();
    return copy;
}

void CClipObj::SetThumbnail(std::int32_t width, std::int32_t height, QByteArray block)
{
    m_thumbWidth = width;
    m_thumbHeight = height;
    m_thumb = std::move(block);
}

bool CClipObj::HasThumbnail() const
{
    return m_thumbWidth > 0 && m_thumbHeight > 0
        && m_thumb.size() == kThumbHeaderBytes + qsizetype(m_thumbWidth) * m_thumbHeight * 3;
}

void CClipObj::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
        Write(ar);
    else
        Read(ar);
}

void CClipObj::Write(CArchive& ar) const
{
    ar.WriteString(m_strPath);
    ar.WriteString(m_strSource);
    ar.WriteString(m_strCaption);
    ar.WriteInt32(m_nKind);
    ar.WriteInt32(m_nNumber);
    ar.WriteInt32(m_thumbWidth);
    ar.WriteInt32(m_thumbHeight);
    if (m_thumb.isEmpty())
        ar.WriteBytes(QByteArray(kThumbHeaderBytes, '\0'));
    else
        ar.WriteBytes(m_thumb);
}

void CClipObj::Read(CArchive& ar)
{
    const QString path = ar.ReadString();
    m_strSource = ar.ReadString();
    m_strCaption = ar.ReadString();
    m_nKind = ar.ReadInt32();
    m_nNumber = ar.ReadInt32();
    SetPath(path);

    const std::int32_t width = ar.ReadInt32();
    const std::int32_t height = ar.ReadInt32();
    if (width < 0 || height < 0)
        throw CArchiveError("a thumbnail in the settings data has a negative size");
    // width x height fits in 64 bits; times 3 it need not, so compare before multiplying.
    const std::int64_t pixels = std::int64_t(width) * height;
    if (pixels > (ar.BytesLeft() - kThumbHeaderBytes) / 3)
        throw CArchiveError("a thumbnail in the settings data is larger than the data");
    QByteArray block = ar.ReadBytes(kThumbHeaderBytes + pixels * 3);
    SetThumbnail(width, height, std::move(block));
}
