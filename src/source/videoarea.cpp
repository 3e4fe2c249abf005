#include "videoarea.h"

#include "cliptransfer.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

namespace {

// A file this area opens: a local one, and neither a library document nor the library's own
// thumbnails (which carry their image files too); those go on to the main window.
QString DroppedVideo(const QMimeData* data)
{
    if (!data->hasUrls() || data->hasFormat(QLatin1String(kClipItemsMimeType)))
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return {};
    const QString path = urls.first().toLocalFile();
    return path.endsWith(QLatin1String(".kvo"), Qt::CaseInsensitive) ? QString() : path;
}

}  // namespace

CVideoArea::CVideoArea(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("VideoArea"));
    // With no file open the area shows the background colour (the dialog's SetBackColor); a video
    // fills it.
    setAutoFillBackground(true);
    setAcceptDrops(true);
}

QString CVideoArea::HintText()
{
    return tr("Open a video (Ctrl+O) or drop one here");
}

void CVideoArea::SetVideoOpen(bool open)
{
    if (open == m_videoOpen)
        return;
    m_videoOpen = open;
    update();
}

void CVideoArea::paintEvent(QPaintEvent*)
{
    if (m_videoOpen)
        return;
    QPainter painter(this);
    const QColor back = palette().color(QPalette::Window);
    // Dark text on the light looks' backgrounds, light text on the dark ones.
    painter.setPen(back.lightness() > 128 ? QColor(60, 60, 60) : QColor(220, 220, 220));
    painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, HintText());
}

void CVideoArea::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedVideo(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CVideoArea::dropEvent(QDropEvent* event)
{
    const QString path = DroppedVideo(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    Q_EMIT fileDropped(path);
}
