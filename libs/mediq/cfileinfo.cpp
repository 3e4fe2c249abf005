#include "cfileinfo.h"

#include "picture.h"

CFileInfo::CFileInfo() = default;
CFileInfo::~CFileInfo() = default;
CFileInfo::CFileInfo(CFileInfo&&) noexcept = default;
CFileInfo& CFileInfo::operator=(CFileInfo&&) noexcept = default;

bool CFileInfo::SetFileName(const QString& path, const ProgressFn& progress)
{
    QString error;
    std::unique_ptr<FrameSource> source = FrameSource::Open(path, progress, error);
    if (!source) {
        m_error = error;
        return false;
    }
    m_source = std::move(source);
    m_path = path;
    m_error.clear();
    m_videoStreams = 1;
    const MediaIndex& index = m_source->Index();
    m_times = index.variableTiming ? std::make_shared<const std::vector<double>>(index.frameTimes) : nullptr;
    return true;
}

std::int64_t CFileInfo::GetFrameCount() const
{
    return m_source ? m_source->Index().FrameCount() : 0;
}

bool CFileInfo::GetVideoSize(long& width, long& height) const
{
    if (!m_source)
        return false;
    int w = 0, h = 0;
    m_source->Index().DisplaySize(w, h);
    width = w;
    height = h;
    return true;
}

CSysRef CFileInfo::GetSysRef() const
{
    return m_source ? CSysRef(m_source->Index().frameRate, m_times) : CSysRef();
}

SharedFrame CFileInfo::FrameForBitmap(std::int64_t frame)
{
    if (!m_source) {
        m_error = QStringLiteral("No video is open.");
        return nullptr;
    }
    return m_source->GetFrame(frame, &m_error);
}

std::unique_ptr<DibBitmap> CFileInfo::GetFrameBitmap(std::int64_t frame, long width, long height)
{
    const SharedFrame picture = FrameForBitmap(frame);
    return picture ? FrameToBitmap(*picture, int(width), int(height), m_source->Index().rotation, &m_error) : nullptr;
}

std::unique_ptr<DibBitmap> CFileInfo::GetFrameBitmapUnmade(std::int64_t frame, long width, long height,
                                                           SharedFrame& unmade)
{
    unmade.reset();
    SharedFrame picture = FrameForBitmap(frame);
    if (!picture)
        return nullptr;
    const int rotation = m_source->Index().rotation;
    if (!ConvertsStraight(*picture, int(width), int(height), rotation))
        return FrameToBitmap(*picture, int(width), int(height), rotation, &m_error);
    std::unique_ptr<DibBitmap> bitmap = NewBitmap(int(width), int(height), &m_error);
    if (bitmap)
        unmade = std::move(picture);
    return bitmap;
}

std::unique_ptr<std::uint8_t[]> CFileInfo::GetFrameThumbBlock(std::int64_t frame, long width, long height)
{
    if (!m_source || width <= 0 || height <= 0 || width > 4096 || height > 4096)
        return nullptr;
    SharedFrame picture = m_source->GetFrame(frame, &m_error);
    if (!picture)
        return nullptr;
    int displayWidth = 0, displayHeight = 0;
    m_source->Index().DisplaySize(displayWidth, displayHeight);
    return FrameToThumbBlock(*picture, displayWidth, displayHeight, m_source->Index().rotation, int(width),
                             int(height));
}

std::unique_ptr<DibBitmap> CFileInfo::GetBitmap(double seconds, long width, long height)
{
    return GetFrameBitmap(GetSysRef().SecToFrame(seconds), width, height);
}

bool CFileInfo::GetBitmap(double seconds, std::unique_ptr<std::uint8_t[]>& buffer, long& width, long& height)
{
    buffer = GetFrameThumbBlock(GetSysRef().SecToFrame(seconds), width, height);
    return buffer != nullptr;
}
