// The source's video area: the playback's picture is drawn in a child of it; with no video open it
// says how to get one, and it takes a video file dropped on it (the pane may float, away from the
// main window that takes drops elsewhere).
#pragma once

#include <QWidget>

// User-interface thread only.
class CVideoArea : public QWidget {
    Q_OBJECT
public:
    explicit CVideoArea(QWidget* parent = nullptr);

    // The hint is shown until a video opens.
    void SetVideoOpen(bool open);
    bool IsVideoOpen() const { return m_videoOpen; }
    static QString HintText();

Q_SIGNALS:
    // A local file was dropped here; whether it is a video is for the opening to find out.
    void fileDropped(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool m_videoOpen = false;
};
