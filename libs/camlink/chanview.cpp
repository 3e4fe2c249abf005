#include "chanview.h"

#include <QEvent>
#include <QPainter>

CChanView::CChanView(QWidget* window, std::function<void()> painted)
    : QWidget(window), m_window(window), m_painted(std::move(painted))
{
    setObjectName(QStringLiteral("CapChanView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(window->rect());
    window->installEventFilter(this);
    show();
}

CChanView::~CChanView()
{
    ReleaseFrame();
}

void CChanView::ReleaseFrame()
{
    m_image = QImage();
    if (m_mapped)
        gst_video_frame_unmap(&m_frame);
    m_mapped = false;
    if (m_sample)
        gst_sample_unref(m_sample);
    m_sample = nullptr;
}

void CChanView::ShowSample(GstSample* sample)
{
    ReleaseFrame();
    m_sample = sample;
    GstVideoInfo info;
    if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample))
        && GST_VIDEO_INFO_FORMAT(&info) == GST_VIDEO_FORMAT_BGRx
        && gst_video_frame_map(&m_frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
        m_mapped = true;
        m_image = QImage(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&m_frame, 0)),
                         GST_VIDEO_FRAME_WIDTH(&m_frame), GST_VIDEO_FRAME_HEIGHT(&m_frame),
                         GST_VIDEO_FRAME_PLANE_STRIDE(&m_frame, 0), QImage::Format_RGB32);
    }
    if (!m_message.isEmpty())
        SetMessage(QString());
    m_counted = false;
    update();
}

void CChanView::SetMessage(const QString& message)
{
    m_message = message;
    setToolTip(message);  // also readable where the text is cut
    if (!message.isEmpty())
        ReleaseFrame();
    update();
}

bool CChanView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Resize)
        setGeometry(m_window->rect());
    return QWidget::eventFilter(watched, event);
}

void CChanView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_image.isNull()) {
        const QSize fitted = m_image.size().scaled(size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_image);
        if (!m_counted && m_painted)
            m_painted();
        m_counted = true;
    }
    if (!m_message.isEmpty()) {
        painter.setPen(Qt::white);
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, m_message);
    }
}
