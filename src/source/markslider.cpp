#include "markslider.h"

#include <QMouseEvent>
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

CMarkSlider::Track CMarkSlider::HandleTrack() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    return {groove.x() + handle.width() / 2, std::max(1, groove.width() - handle.width()), option.upsideDown};
}

int CMarkSlider::PositionOf(std::uint32_t frame) const
{
    const Track track = HandleTrack();
    return track.start + QStyle::sliderPositionFromValue(minimum(), maximum(), int(frame), track.span, track.upsideDown);
}

int CMarkSlider::ValueAt(int x) const
{
    // Over the whole groove, as the user sees it: a click three quarters along is three quarters
    // through the file. The handle's middle is never more than half its width from there.
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    return QStyle::sliderValueFromPosition(minimum(), maximum(), x - groove.x(), std::max(1, groove.width()),
                                           option.upsideDown);
}

void CMarkSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled() && maximum() > minimum()) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        if (!handle.contains(event->position().toPoint()))
            setValue(ValueAt(event->position().toPoint().x()));
    }
    // The handle now stands under the pointer, so the slider's own handling starts a drag.
    QSlider::mousePressEvent(event);
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
