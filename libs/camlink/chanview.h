// The view a channel paints into: a child of the caller's window, filling it.
#pragma once

#include <gst/gst.h>
#include <gst/video/video.h>

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>

// User-interface thread only. Shows the newest frame fitted with its aspect kept, black around it,
// or a message centred when the channel stopped by itself.
class CChanView : public QWidget {
    Q_OBJECT
public:
    // Follows window's size; painted is called once for every frame painted.
    CChanView(QWidget* window, std::function<void()> painted);
    ~CChanView() override;

    QWidget* Window() const { return m_window; }
    // Takes the sample; the previous frame is released.
    void ShowSample(GstSample* sample);
    // A non-empty message replaces the picture until the next frame or an empty message.
    void SetMessage(const QString& message);
    QString Message() const { return m_message; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ReleaseFrame();

    QPointer<QWidget> m_window;
    std::function<void()> m_painted;
    // The QImage wraps the mapped buffer without copying; it is dropped before the unmap.
    GstSample* m_sample = nullptr;
    GstVideoFrame m_frame{};
    bool m_mapped = false;
    bool m_counted = true;
    QImage m_image;
    QString m_message;
};
