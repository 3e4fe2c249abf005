// CSourceDlg::GrabFrame: the exact frame on the source's counter, written as an image file, and its
// thumbnail item handed to the library.
#include "cimage.h"
#include "csourcedlg.h"
#include "grabnaming.h"
#include "grabwriter.h"
#include "rowsinthemaking.h"
#include "setobj.h"

#include <QApplication>
#include <QFile>
#include <QScopeGuard>

GrabDestination GrabDestination::FromSettings()
{
    return GrabDestination{g_SetObj.m_imageDir, g_SetObj.m_imageType, ImageEncoding::FromProfile()};
}

std::unique_ptr<CClipObj> SaveVideoGrab(const CImage& image, const QString& source, std::uint32_t frame,
                                        const QString& timecode, const GrabDestination& to, QString* error,
                                        const std::function<void(int)>& waitForRows)
{
    const QString grabName = BuildGrabName(GrabBaseFromVideoPath(source), frame);
    const GrabTarget target = BuildGrabPath(grabName, to.imageDir, to.imageType);
    const SaveOptions options{to.encoding, VideoGrabTexts(source, frame, timecode), waitForRows};
    const ImageStatus status =
        target.ok() ? image.Save(target.path, target.encoder, options) : ImageStatus::Fail(target.error);
    if (!status.ok()) {
        if (target.ok())
            QFile::remove(target.path);  // the name was reserved for this grab
        // No item for a file that was never written: it would only vanish from the library later.
        *error = QCoreApplication::translate("CSourceDlg", "The grab was not saved: %1").arg(status.error);
        return nullptr;
    }
    auto item = std::make_unique<CClipObj>();
    item->SetSource(source);
    item->SetNumber(std::int32_t(frame));
    item->SetPath(target.path);
    item->SetCaption(target.caption);
    item->SetKind(CClipObj::kVideoFile);
    return item;
}

void SetGrabThumbnail(CClipObj& item, const std::uint8_t* block)
{
    if (!block)
        return;
    const qsizetype bytes = CClipObj::kThumbHeaderBytes + qsizetype(kGrabThumbWidth) * kGrabThumbHeight * 3;
    item.SetThumbnail(kGrabThumbWidth, kGrabThumbHeight, QByteArray(reinterpret_cast<const char*>(block), bytes));
}

bool CSourceDlg::GrabFrame()
{
    if (!IsOpen())
        return false;
    if (IsPlaying())
        m_curFrame = std::uint32_t(m_pGraph->GetCurFrame());  // the frame on screen now, not at the last tick
    const std::uint32_t frame = m_curFrame;
    QString error;
    std::unique_ptr<CClipObj> item;
    {
        // The busy cursor covers the work only: a message about a failure is answered with the
        // ordinary one.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        item = WriteGrab(frame, &error);
    }
    if (!item) {
        Q_EMIT problem(error);
        return false;
    }
    // Grabbed all the same: the user may want a second copy, but should know of the first. Said
    // after the sink, whose own note about the new item would hide it.
    const auto held = m_libraryFrames.find(frame);
    const QString heldIn = held != m_libraryFrames.end() ? held->second : QString();
    const bool wasHeld = held != m_libraryFrames.end();
    if (m_clipSink)
        m_clipSink(std::move(item));
    if (wasHeld)
        Q_EMIT status(tr("Frame %1 is already in \u201c%2\u201d").arg(QString::number(frame), heldIn));
    return true;
}

std::unique_ptr<CClipObj> CSourceDlg::WriteGrab(std::uint32_t frame, QString* error)
{
    long width = 0, height = 0;
    m_fileInfo.GetVideoSize(width, height);
    CImage image;
    SharedFrame unmade;
    if (!image.Attach(m_fileInfo.GetFrameBitmapUnmade(frame, width, height, unmade))) {
        *error = tr("Frame %1 could not be grabbed: %2").arg(frame).arg(m_fileInfo.GetLastError());
        return nullptr;
    }
    // Asked before another thread uses the file info, which it then has to itself until the
    // thumbnail is collected.
    const QString timecode = m_fileInfo.GetSysRef().FrameToTCString(frame);
    const auto makeThumbnail = [this, frame] {
        return m_fileInfo.GetFrameThumbBlock(frame, kGrabThumbWidth, kGrabThumbHeight);
    };
    // The work beside the encoding, which takes longest, is done on another core: converting the
    // rows (the encoder takes the first ones while the later ones are made) and then the thumbnail.
    // The rows' thread is made after the image and ends before it.
    std::unique_ptr<std::uint8_t[]> block;
    std::unique_ptr<RowsInTheMaking> rows;
    std::future<std::unique_ptr<std::uint8_t[]>> thumbnail;
    std::function<void(int)> waitForRows;
    if (unmade) {
        rows = std::make_unique<RowsInTheMaking>(std::move(unmade), image.GetBits(), image.GetPitch(),
                                                 [&block, &makeThumbnail] { block = makeThumbnail(); });
        waitForRows = [&rows](int count) { rows->WaitFor(count); };
    } else {
        thumbnail = RunAside(makeThumbnail);
    }
    std::unique_ptr<CClipObj> item =
        SaveVideoGrab(image, m_fileInfo.GetFileName(), frame, timecode, GrabDestination::FromSettings(), error,
                      waitForRows);
    if (rows)
        rows.reset();  // the thumbnail is made once the thread has ended
    else
        block = thumbnail.get();
    if (item)
        SetGrabThumbnail(*item, block.get());
    return item;
}
