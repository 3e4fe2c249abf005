// CSourceDlg::GrabFrame: the exact frame on the source's counter, written as an image file, and its
// thumbnail item handed to the library.
#include "cimage.h"
#include "csourcedlg.h"
#include "grabnaming.h"
#include "setobj.h"

#include <QApplication>
#include <QFile>
#include <QScopeGuard>
#include <future>
#include <system_error>

bool CSourceDlg::GrabFrame()
{
    if (!IsOpen())
        return false;
    QString error;
    std::unique_ptr<CClipObj> item;
    {
        // The busy cursor covers the work only: a message about a failure is answered with the
        // ordinary one.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        item = WriteGrab(&error);
    }
    if (!item) {
        Q_EMIT problem(error);
        return false;
    }
    if (m_clipSink)
        m_clipSink(std::move(item));
    return true;
}

std::unique_ptr<CClipObj> CSourceDlg::WriteGrab(QString* error)
{
    if (IsPlaying())
        m_curFrame = std::uint32_t(m_pGraph->GetCurFrame());  // the frame on screen now, not at the last tick
    const std::uint32_t frame = m_curFrame;
    long width = 0, height = 0;
    m_fileInfo.GetVideoSize(width, height);
    CImage image;
    if (!image.Attach(m_fileInfo.GetFrameBitmap(frame, width, height))) {
        *error = tr("Frame %1 could not be grabbed: %2").arg(frame).arg(m_fileInfo.GetLastError());
        return nullptr;
    }
    const QString source = m_fileInfo.GetFileName();
    const QString grabName = BuildGrabName(GrabBaseFromVideoPath(source), frame);
    const GrabTarget target = BuildGrabPath(grabName, g_SetObj.m_imageDir, g_SetObj.m_imageType);
    // Asked before the thumbnail's thread starts, which then has the file info to itself.
    const SaveOptions saveOptions{ImageEncoding::FromProfile(),
                                  VideoGrabTexts(source, frame, m_fileInfo.GetSysRef().FrameToTCString(frame))};
    // The thumbnail is made on another core while the file is encoded, which takes longest; nothing
    // else uses the file info until the thumbnail is collected.
    constexpr int kThumbWidth = 80, kThumbHeight = 60;
    const auto makeThumbnail = [this, frame] { return m_fileInfo.GetFrameThumbBlock(frame, kThumbWidth, kThumbHeight); };
    std::future<std::unique_ptr<std::uint8_t[]>> thumbnail;
    try {
        thumbnail = std::async(std::launch::async, makeThumbnail);
    } catch (const std::system_error&) {
        thumbnail = std::async(std::launch::deferred, makeThumbnail);  // no thread to be had: made afterwards
    }
    ImageStatus status = target.ok() ? image.Save(target.path, target.encoder, saveOptions) : ImageStatus::Fail(target.error);
    if (!status.ok()) {
        if (target.ok())
            QFile::remove(target.path);  // the name was reserved for this grab
        // No item for a file that was never written: it would only vanish from the library later.
        *error = tr("The grab was not saved: %1").arg(status.error);
        return nullptr;
    }

    auto item = std::make_unique<CClipObj>();
    item->SetSource(source);
    item->SetNumber(std::int32_t(frame));
    item->SetPath(target.path);
    item->SetCaption(target.caption);
    item->SetKind(CClipObj::kVideoFile);
    if (std::unique_ptr<std::uint8_t[]> block = thumbnail.get()) {
        const qsizetype bytes = CClipObj::kThumbHeaderBytes + qsizetype(kThumbWidth) * kThumbHeight * 3;
        item->SetThumbnail(kThumbWidth, kThumbHeight, QByteArray(reinterpret_cast<const char*>(block.get()), bytes));
    }
    return item;
}
