#include "cvideowidget.h"

#include <QMetaObject>
#include <QPainter>

CVideoWidget::CVideoWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("VideoWidget"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(16, 16);
    // Dragging a splitter resizes many times a second; the picture is made again once, after.
    m_resizeSettled.setSingleShot(true);
    m_resizeSettled.setInterval(80);
    connect(&m_resizeSettled, &QTimer::timeout, this, &CVideoWidget::pictureSizeOutdated);
}

QSize CVideoWidget::TargetSize() const
{
    return QSize(m_width.load(), m_height.load());
}

void CVideoWidget::resizeEvent(QResizeEvent* event)
{
    m_width.store(width());
    m_height.store(height());
    QWidget::resizeEvent(event);
    if (m_image.isNull())
        return;
    // Larger than the picture it would be blurred; at less than half of it, fine lines would alias.
    const QSize fitted = m_image.size().scaled(size(), Qt::KeepAspectRatio);
    if (fitted.width() > m_image.width() || fitted.height() > m_image.height() || fitted.width() * 2 < m_image.width())
        m_resizeSettled.start();
}

void CVideoWidget::OfferFrame(QImage image, std::int64_t frame, std::uint64_t generation)
{
    QMutexLocker lock(&m_offerMutex);
    m_offered = std::move(image);
    m_offeredFrame = frame;
    m_offeredGeneration = generation;
    if (m_presentPending)
        return;  // the queued call already on its way takes this newer frame
    m_presentPending = true;
    QMetaObject::invokeMethod(this, &CVideoWidget::Present, Qt::QueuedConnection);
}

void CVideoWidget::Present()
{
    QImage image;
    std::int64_t frame;
    std::uint64_t generation;
    {
        QMutexLocker lock(&m_offerMutex);
        m_presentPending = false;
        image = std::move(m_offered);
        m_offered = QImage();
        frame = m_offeredFrame;
        generation = m_offeredGeneration;
    }
    if (image.isNull() || generation < m_accepted.load())
        return;
    m_image = std::move(image);
    m_frame = frame;
    update();
    Q_EMIT frameShown(frame);
}

void CVideoWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_image.isNull())
        return;
    const QSize fitted = m_image.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_image);
}
