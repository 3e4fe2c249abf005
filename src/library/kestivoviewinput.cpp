// The thumbnail view's mouse, wheel and keyboard handling: click, Control-click, the selection
// band, the drag of the selected thumbnails, the double-click that previews, and the wheel's own
// small step.
#include "ckestivoview.h"

#include "librarylog.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

void CKestivoView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    if (Count() == 0) {
        m_nCurrent = -1;
        return;
    }
    const QPoint point = event->position().toPoint();
    const int index = HitTest(point);
    m_ptPress = point;
    m_nPressed = index;
    m_nSoloOnRelease = -1;
    if (event->modifiers() & Qt::ControlModifier) {
        SetSelected(index, true);  // on empty space: every item
    } else if (index != -1 && ClipList()->GetAt(std::size_t(index))->IsSelected()) {
        // The selection stays for a drag; a plain click makes this item the only one on release.
        m_nSoloOnRelease = index;
    } else {
        DeselectAll();
        if (index != -1) {
            SetSelected(index, true);
        } else {
            m_ptBandStart = m_ptBandEnd = point;
            m_bBanding = true;  // the mouse stays grabbed by the viewport while the button is down
        }
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CKestivoView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_nPressed >= 0 && (event->buttons() & Qt::LeftButton)
        && (event->position().toPoint() - m_ptPress).manhattanLength() >= QApplication::startDragDistance()) {
        const int index = m_nPressed;
        m_nPressed = m_nSoloOnRelease = -1;
        StartDrag(index);
        return;
    }
    if (!m_bBanding) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    const QRect before = BandRect();
    m_ptBandEnd = event->position().toPoint();
    SelectBand();
    viewport()->update(before.adjusted(-1, -1, 1, 1));
    viewport()->update(BandRect().adjusted(-1, -1, 1, 1));
}

void CKestivoView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_nSoloOnRelease >= 0 && m_nSoloOnRelease < Count()) {
        DeselectAll();
        SetSelected(m_nSoloOnRelease, true);
    }
    m_nPressed = m_nSoloOnRelease = -1;
    if (m_bBanding) {
        m_bBanding = false;
        viewport()->update(BandRect().adjusted(-1, -1, 1, 1));
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CKestivoView::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_bBanding = false;
    if (event->button() == Qt::LeftButton)
        Q_EMIT previewRequested();  // the first click made the item under the pointer current
}

// The selected thumbnails go out as their files, to whatever takes them: a file manager, an editor,
// a chat, or a folder of the library's tree, which moves or adds the items itself. Only a copy is
// offered, so that no file manager moves a file out from under the library.
void CKestivoView::StartDrag(int index)
{
    if (GetSelectedCount() == 0)
        return;
    const CClipObj* under = ClipList()->GetAt(std::size_t(index));
    QPixmap picture(kCellWidth, kCellHeight);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        if (under)
            under->Draw(painter, picture.rect());
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(MakeDragData());
    drag->setPixmap(picture);
    drag->setHotSpot(m_ptPress - GetItemRect(index).topLeft());
    qCDebug(lcLibrary) << "dragging" << GetSelectedCount() << "items";
    // Runs a loop of its own: the drop may have moved items out of this folder by the time it returns.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

// The band spans its two corners; a band without width or height meets no cell.
QRect CKestivoView::BandRect() const
{
    const int left = std::min(m_ptBandStart.x(), m_ptBandEnd.x());
    const int top = std::min(m_ptBandStart.y(), m_ptBandEnd.y());
    const int right = std::max(m_ptBandStart.x(), m_ptBandEnd.x());
    const int bottom = std::max(m_ptBandStart.y(), m_ptBandEnd.y());
    return QRect(left, top, right - left, bottom - top);
}

void CKestivoView::SelectBand()
{
    const QRect band = BandRect();
    CMyList<CClipObj>* clips = ClipList();
    for (int i = 0; i < Count(); ++i) {
        const bool inside = GetItemRect(i).intersects(band);
        if (inside != clips->GetAt(std::size_t(i))->IsSelected())
            SetSelected(i, inside);
    }
}

// A dotted line that inverts what is under it, so it shows on any background and over any
// thumbnail.
void CKestivoView::DrawBand(QPainter& painter) const
{
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygon({m_ptBandStart, QPoint(m_ptBandStart.x(), m_ptBandEnd.y()), m_ptBandEnd,
                                   QPoint(m_ptBandEnd.x(), m_ptBandStart.y()), m_ptBandStart}));
    painter.restore();
}

// A notch of the wheel first moves the grid by a small step of its own, then the scroll bar adds
// its usual lines. A partial notch (a high-resolution wheel or touchpad) gives no own step, nor
// does a step that would reach either end of the range.
void CKestivoView::wheelEvent(QWheelEvent* event)
{
    const int step = (event->angleDelta().y() / 120) * 10;
    const int position = ScrollPosition() - step;
    if (step != 0 && position + viewport()->height() < DocumentHeight() && position > 0) {
        SetScrollPosition(position);
        m_nTopRow = position / kRowPitch;
    }
    QAbstractScrollArea::wheelEvent(event);
    m_nTopRow = ScrollPosition() / kRowPitch;
}

void CKestivoView::MoveCurrent(int index)
{
    if (Count() == 0)
        return;
    index = std::clamp(index, 0, Count() - 1);
    DeselectAll();
    SetSelected(index, true);
    // Scroll just enough to bring the cell and its gap into sight.
    const QRect cell = GetItemRect(index);
    if (cell.top() < 0)
        SetScrollPosition(ScrollPosition() + cell.top() - kGapY);
    else if (cell.bottom() >= viewport()->height())
        SetScrollPosition(ScrollPosition() + cell.bottom() + kGapY + 1 - viewport()->height());
}

// The arrows move the selection from the current item as they would in a file manager.
void CKestivoView::keyPressEvent(QKeyEvent* event)
{
    const int from = std::max(m_nCurrent, 0);
    switch (event->key()) {
    case Qt::Key_Left: MoveCurrent(m_nCurrent < 0 ? 0 : from - 1); break;
    case Qt::Key_Right: MoveCurrent(m_nCurrent < 0 ? 0 : from + 1); break;
    case Qt::Key_Up: MoveCurrent(from - m_nColumns); break;
    case Qt::Key_Down: MoveCurrent(m_nCurrent < 0 ? 0 : from + m_nColumns); break;
    case Qt::Key_Home: MoveCurrent(0); break;
    case Qt::Key_End: MoveCurrent(Count() - 1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: Q_EMIT previewRequested(); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    event->accept();
}
