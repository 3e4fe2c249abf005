// CSourceDlg::CopyFrame: the frame on screen to the clipboard, made as a grab makes its picture.
#include "cimage.h"
#include "csourcedlg.h"

#include <QApplication>
#include <QClipboard>
#include <QScopeGuard>

bool CSourceDlg::CopyFrame()
{
    if (!IsOpen())
        return false;
    // While playing, the frame on screen now rather than at the last tick.
    const std::uint32_t frame = IsPlaying() ? std::uint32_t(m_pGraph->GetCurFrame()) : m_curFrame;
    long width = 0, height = 0;
    m_fileInfo.GetVideoSize(width, height);
    QImage picture;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        CImage image;
        if (image.Attach(m_fileInfo.GetFrameBitmap(frame, width, height)))
            picture = image.ToQImage();
    }
    if (picture.isNull()) {
        Q_EMIT problem(tr("Frame %1 could not be copied: %2").arg(frame).arg(m_fileInfo.GetLastError()));
        return false;
    }
    QApplication::clipboard()->setImage(picture);
    return true;
}
