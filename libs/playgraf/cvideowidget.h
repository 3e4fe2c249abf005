// The video area: shows the current frame fitted to the widget with its aspect kept.
#pragma once

#include <QImage>
#include <QMutex>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdint>

// Painted on the user-interface thread. OfferFrame may be called from any thread (the decode
// thread): the newest offer wins, and it is shown from the user-interface thread's event loop
// unless a seek has made its generation stale. Frames are never shown out of order.
class CVideoWidget : public QWidget {
    Q_OBJECT
public:
    explicit CVideoWidget(QWidget* parent = nullptr);

    // Any thread. frame: its number; generation: the seek it belongs to.
    void OfferFrame(QImage image, std::int64_t frame, std::uint64_t generation);
    // User-interface thread: frames of older generations are dropped from now on.
    void AcceptGeneration(std::uint64_t generation) { m_accepted.store(generation); }

    // The frame on screen (-1 before any) and its picture, as delivered.
    std::int64_t CurrentFrame() const { return m_frame; }
    const QImage& CurrentImage() const { return m_image; }
    // The size decoded pictures should have to fill the widget (any thread).
    QSize TargetSize() const;

Q_SIGNALS:
    void frameShown(qint64 frame);
    // The picture on screen no longer suits the widget's size (it would be stretched beyond its
    // own pixels, or is far larger than needed): a new one should be made from the decoded frame.
    // Sent once a run of resizes has settled.
    void pictureSizeOutdated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Present();

    QMutex m_offerMutex;
    QImage m_offered;
    std::int64_t m_offeredFrame = -1;
    std::uint64_t m_offeredGeneration = 0;
    bool m_presentPending = false;

    std::atomic<std::uint64_t> m_accepted{0};
    std::atomic<int> m_width{0}, m_height{0};
    QTimer m_resizeSettled;
    QImage m_image;
    std::int64_t m_frame = -1;
};
