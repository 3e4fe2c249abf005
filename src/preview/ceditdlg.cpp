#include "ceditdlg.h"

#include "desktophandoff.h"
#include "resource.h"
#include "systeminfo.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace {

// The settings' default; the main frame hands over the current colour.
constexpr ColorRef kDefaultBackColor = MakeColorRef(186, 210, 224);

// Drops the fraction, as the placement's integer arithmetic does. A value beyond what the
// geometry can reach is held to a large int instead of being undefined.
int Trunc(double value)
{
    if (std::isnan(value))
        return 0;
    return int(std::clamp(value, -1e9, 1e9));
}

struct AxisBar {
    int max = 0;  // the scroll range is 0..max; 0 hides the bar
    int pos = 0;
};

// One direction of the placement. start is the image's first edge in the canvas, moved in place;
// centre is the image coordinate under the canvas's middle and moves with every move of the image
// (a move of d canvas pixels moves it by -d / zoom image pixels).
AxisBar FitAxis(int scaled, int client, int& start, int& centre, double zoom)
{
    const int excess = scaled - client;
    if (excess > 0) {
        if (start > 0) {  // a gap before the image: close it
            centre += Trunc(start / zoom);
            start = 0;
            return {excess, 0};
        }
        if (-start >= excess) {  // a gap after the image: close it
            centre += Trunc((start + excess) / zoom);
            start = -excess;
            return {excess, excess};
        }
        return {excess, -start};
    }
    // Not larger than the canvas: centre it. An image resting against the first edge is centred
    // too unless that is where centring puts it: after the canvas grows it may sit there with a
    // gap on the far side only.
    const int centred = client / 2 - scaled / 2;
    if (start != 0 || centred != 0) {
        const int k = Trunc((scaled / 2) / zoom);
        start += Trunc((centre - k) * zoom);
        centre = k;
    }
    return {};
}

}  // namespace

CEditDlg::CEditDlg(QWidget* parent) : QAbstractScrollArea(parent), m_backColor(kDefaultBackColor)
{
    setObjectName(QStringLiteral("EditDlg"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    // The canvas paints every pixel itself: the background only where the image leaves it bare,
    // so that a canvas filled by the image does not flicker.
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalScrollBar()->setSingleStep(kLineStep);
    verticalScrollBar()->setSingleStep(kLineStep);
}

CEditDlg::~CEditDlg() = default;

int CEditDlg::ImageWidth() const
{
    return m_pImage ? m_pImage->GetImage().GetWidth() : 0;
}

int CEditDlg::ImageHeight() const
{
    return m_pImage ? m_pImage->GetImage().GetHeight() : 0;
}

void CEditDlg::ShowClip(const CClipObj& item)
{
    m_pImage = item.Clone();
    m_fitToWindow = true;
    m_center = QPoint(ImageWidth() / 2, ImageHeight() / 2);
    RecalcImageRect();
    Q_EMIT stateChanged();
}

void CEditDlg::PlaceImage(int cw, int ch)
{
    const int w = ImageWidth();
    const int h = ImageHeight();
    int left = 0, top = 0, sw = 0, sh = 0;
    if (!m_fitToWindow) {
        sw = Trunc(w * m_zoom);
        sh = Trunc(h * m_zoom);
        left = Trunc(cw / 2 - m_center.x() * m_zoom);
        top = Trunc(ch / 2 - m_center.y() * m_zoom);
    } else if (w <= 0 || h <= 0) {
        // Nothing decoded: an empty image in the middle, at original size.
        m_zoom = 1.0;
        left = cw / 2;
        top = ch / 2;
    } else if (cw > 0 && ch > 0) {
        // (A canvas without room fits nothing; the zoom stays as it was, never 0.)
        const double sx = double(cw) / w;
        const double sy = double(ch) / h;
        if (sx >= 1 && sy >= 1) {
            m_zoom = 1.0;
            sw = w;
            sh = h;
            left = cw / 2 - w / 2;
            top = ch / 2 - h / 2;
        } else if (sy < sx) {
            m_zoom = sy;
            sw = Trunc(w * sy);
            sh = ch;
            left = cw / 2 - sw / 2;
        } else {
            m_zoom = sx;
            sw = cw;
            sh = Trunc(h * sx);
            top = ch / 2 - sh / 2;
        }
    }
    m_rcImage = QRect(left, top, sw, sh);
}

void CEditDlg::RecalcImageRect()
{
    if (!m_pImage)
        return;
    // Showing or hiding a scroll bar resizes the viewport, which may call back here: the outer
    // call places the image again for the new size instead.
    if (m_recalcDepth > 0) {
        m_recalcAgain = true;
        return;
    }
    ++m_recalcDepth;
    for (int round = 0; round < 4; ++round) {
        m_recalcAgain = false;
        const int cw = viewport()->width();
        const int ch = viewport()->height();
        PlaceImage(cw, ch);
        int left = m_rcImage.left(), top = m_rcImage.top();
        int cx = m_center.x(), cy = m_center.y();
        const AxisBar v = FitAxis(m_rcImage.height(), ch, top, cy, m_zoom);
        const AxisBar h = FitAxis(m_rcImage.width(), cw, left, cx, m_zoom);
        m_rcImage.moveTo(left, top);
        m_center = QPoint(cx, cy);
        ApplyScrollBars(cw, ch, h.max, h.pos, v.max, v.pos);
        if (!m_recalcAgain)
            break;
    }
    --m_recalcDepth;
    viewport()->update();
}

void CEditDlg::ApplyScrollBars(int cw, int ch, int hMax, int hPos, int vMax, int vPos)
{
    m_syncingBars = true;
    QScrollBar* hbar = horizontalScrollBar();
    hbar->setRange(0, hMax);
    hbar->setPageStep(std::max(1, cw));
    hbar->setValue(hPos);
    QScrollBar* vbar = verticalScrollBar();
    vbar->setRange(0, vMax);
    vbar->setPageStep(std::max(1, ch));
    vbar->setValue(vPos);
    m_syncingBars = false;
}

bool CEditDlg::ZoomIsSane(double zoom) const
{
    const int w = ImageWidth();
    const int h = ImageHeight();
    if (zoom > kMaxZoom || w * zoom > kMaxScaledSide || h * zoom > kMaxScaledSide)
        return false;
    // Below original size, stop before the image shrinks under one pixel (and the zoom to 0).
    return zoom >= 1.0 || std::max(w, h) * zoom >= 1.0;
}

void CEditDlg::ZoomIn()
{
    if (!m_pImage)
        return;
    m_fitToWindow = false;
    m_zoomInChecked = true;
    m_zoomOutChecked = false;
    if (ZoomIsSane(m_zoom * kZoomStep))
        m_zoom *= kZoomStep;
    RecalcImageRect();
    Q_EMIT stateChanged();
}

void CEditDlg::ZoomOut()
{
    if (!m_pImage)
        return;
    m_fitToWindow = false;
    m_zoomInChecked = false;
    m_zoomOutChecked = true;
    // At original size or below, only while the image's top or left edge is outside the canvas.
    if ((m_rcImage.top() < 0 || m_rcImage.left() < 0 || m_zoom > 1.0) && ZoomIsSane(m_zoom / kZoomStep)) {
        m_zoom /= kZoomStep;
        RecalcImageRect();
    }
    Q_EMIT stateChanged();
}

void CEditDlg::ShowOriginalSize()
{
    if (!m_pImage)
        return;
    m_zoom = 1.0;
    m_fitToWindow = false;
    m_center = QPoint(ImageWidth() / 2, ImageHeight() / 2);
    RecalcImageRect();
    Q_EMIT stateChanged();
}

void CEditDlg::FitToWindow()
{
    if (!m_pImage)
        return;
    m_fitToWindow = true;
    m_center = QPoint(ImageWidth() / 2, ImageHeight() / 2);
    RecalcImageRect();
    Q_EMIT stateChanged();
}

void CEditDlg::SetBackColor(ColorRef color)
{
    m_backColor = color;
    viewport()->update();
}

void CEditDlg::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    RecalcImageRect();
}

void CEditDlg::scrollContentsBy(int dx, int dy)
{
    if (m_syncingBars || !m_pImage)
        return;
    m_rcImage.translate(dx, dy);
    m_center += QPoint(Trunc(-dx / m_zoom), Trunc(-dy / m_zoom));
    // Moves what is on screen and repaints only the uncovered strip.
    viewport()->scroll(dx, dy);
}

void CEditDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        setFocus(Qt::MouseFocusReason);
    QAbstractScrollArea::mousePressEvent(event);
}

void CEditDlg::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    const bool blends = m_pImage && m_pImage->GetImage().HasAlpha();
    // Alpha is blended over the background, so the background goes under a translucent image
    // too: blending over what the last paint left would darken it with every repaint.
    if (blends || !m_rcImage.contains(exposed)) {
        const QColor back = ToQColor(m_backColor);
        if (blends) {
            painter.fillRect(exposed, back);
        } else {
            for (const QRect& bare : QRegion(exposed).subtracted(QRegion(m_rcImage)))
                painter.fillRect(bare, back);
        }
    }
    if (m_pImage)
        DrawVisiblePart(painter, exposed);
}

void CEditDlg::DrawVisiblePart(QPainter& painter, const QRect& exposed) const
{
    const CImage& image = m_pImage->GetImage();
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    const QRect visible = m_rcImage.intersected(exposed);
    if (image.IsNull() || w <= 0 || h <= 0 || visible.isEmpty())
        return;
    // Only the image pixels that reach the visible part are drawn, so a deep zoom costs what the
    // canvas's size costs, not the scaled image's. One more pixel on each side gives the
    // smoothing the same neighbours at the edges of a repainted strip as in a full repaint.
    const double fx = double(m_rcImage.width()) / w;
    const double fy = double(m_rcImage.height()) / h;
    const int x0 = std::max(0, int(std::floor((visible.left() - m_rcImage.left()) / fx)) - 1);
    const int x1 = std::min(w, int(std::ceil((visible.right() + 1 - m_rcImage.left()) / fx)) + 1);
    const int y0 = std::max(0, int(std::floor((visible.top() - m_rcImage.top()) / fy)) - 1);
    const int y1 = std::min(h, int(std::ceil((visible.bottom() + 1 - m_rcImage.top()) / fy)) + 1);
    const QRectF dest(m_rcImage.left() + x0 * fx, m_rcImage.top() + y0 * fy, (x1 - x0) * fx, (y1 - y0) * fy);
    painter.setClipRect(visible);
    image.Draw(&painter, dest, QRect(x0, y0, x1 - x0, y1 - y0), m_zoom < 1.0);
}

QString CEditDlg::ExistingFile()
{
    if (!m_pImage)
        return {};
    const QString path = m_pImage->GetPath();
    if (g_ExtSysInfo.IsExistFile(path))
        return path;
    Q_EMIT problem(QString::fromLatin1(kestivo::text::kFileMissing).arg(path));
    return {};
}

void CEditDlg::OpenFolder()
{
    const QString path = ExistingFile();
    if (!path.isEmpty())
        desktop::ShowInFileManager(path, this, [this](const QString& failure) { Q_EMIT problem(failure); });
}

void CEditDlg::EditImage()
{
    const QString path = ExistingFile();
    if (path.isEmpty())
        return;
    if (const QString failure = desktop::OpenInEditor(path); !failure.isEmpty())
        Q_EMIT problem(failure);
}

void CEditDlg::CopyImage()
{
    if (!m_pImage)
        return;
    const QImage picture = m_pImage->GetImage().ToQImage();
    if (!picture.isNull())
        QGuiApplication::clipboard()->setImage(picture);
}
