#include "markslider.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

constexpr int kMarkRoom = 6;  // pixels above and below the style's slider

}  // namespace

CMarkSlider::CMarkSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

QSize CMarkSlider::sizeHint() const
{
    return QSlider::sizeHint() + QSize(0, 2 * kMarkRoom);
}

QSize CMarkSlider::minimumSizeHint() const
{
    return QSlider::minimumSizeHint() + QSize(0, 2 * kMarkRoom);
}

void CMarkSlider::SetRangeMarks(std::uint32_t in, std::uint32_t out)
{
    if (in == m_in && out == m_out)
        return;
    m_in = in;
    m_out = out;
    update();
}

void CMarkSlider::SetGrabbedFrames(std::vector<std::uint32_t> frames)
{
    if (frames == m_grabbed)
        return;
    m_grabbed = std::move(frames);
    update();
}

int CMarkSlider::PositionOf(std::uint32_t frame) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int span = std::max(1, groove.width() - handle.width());
    return groove.x() + handle.width() / 2
         + QStyle::sliderPositionFromValue(minimum(), maximum(), int(frame), span, option.upsideDown);
}

void CMarkSlider::paintEvent(QPaintEvent* event)
{
    QSlider::paintEvent(event);
    if (maximum() <= minimum())
        return;
    QPainter painter(this);
    // Ticks in the highlight colour below the groove; many frames close together merge into a bar.
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
    const int bottom = height() - 1;
    int lastX = -1;
    for (const std::uint32_t frame : m_grabbed) {
        const int x = PositionOf(frame);
        if (x != lastX)
            painter.drawLine(x, bottom - kMarkRoom + 1, x, bottom);
        lastX = x;
    }
    // The marks as brackets above: "[" at In, "]" at Out.
    painter.setPen(QPen(palette().color(QPalette::WindowText), 2));
    const int inX = PositionOf(m_in), outX = PositionOf(m_out);
    const int top = 1, foot = kMarkRoom + 2;  // reaching just into the groove's band
    painter.drawPolyline(QPolygon({QPoint(inX + 4, top), QPoint(inX, top), QPoint(inX, foot), QPoint(inX + 4, foot)}));
    painter.drawPolyline(QPolygon({QPoint(outX - 4, top), QPoint(outX, top), QPoint(outX, foot), QPoint(outX - 4, foot)}));
}
