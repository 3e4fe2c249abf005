// The preview canvas: one image of the library, fitted to the canvas or zoomed in steps around the
// point under the canvas's middle, with scroll bars while the scaled image is larger than the
// canvas; and the hand-off of the image's file to the file manager or an image editor.
#pragma once

#include "clipobj.h"
#include "colorref.h"

#include <QAbstractScrollArea>
#include <QPoint>
#include <QRect>
#include <memory>

class QPainter;

// User-interface thread only.
class CEditDlg : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr double kZoomStep = 1.1;
    // Zoom In stops growing here, so the integer geometry of the scaled image stays far from
    // overflowing and a zoomed picture stays something a person can look at.
    static constexpr double kMaxZoom = 64.0;
    static constexpr int kMaxScaledSide = 100000;
    // Pixels a line step of the scroll bars moves.
    static constexpr int kLineStep = 10;

    explicit CEditDlg(QWidget* parent = nullptr);
    ~CEditDlg() override;

    // Shows a copy of item (its picture decoded again from its file), fitted to the canvas. The
    // check states of the zoom commands stay as they were.
    void ShowClip(const CClipObj& item);
    // Places the image from the zoom and centre (or fits it), sets the scroll bars and repaints.
    void RecalcImageRect();

    // These need an image (HasImage); without one they do nothing.
    void ZoomIn();
    void ZoomOut();
    void ShowOriginalSize();
    void FitToWindow();
    // Shows the image's file in the file manager: the desktop's FileManager1 service selecting
    // it, else its folder opened by the desktop. A missing file, or one nothing could show, is
    // reported through problem().
    void OpenFolder();
    // Opens the image's file in an image editor: the command in $KESTIVO_EDITOR (the path added
    // as its last argument), else the first of GIMP, Krita, Pinta and KolourPaint found on the
    // PATH, else the desktop's application for the file. A missing file, a configured editor that
    // cannot be started, or a file nothing could open, is reported through problem().
    void EditImage();
    // Puts the picture shown, at its own size, on the clipboard.
    void CopyImage();

    bool HasImage() const { return m_pImage != nullptr; }
    bool IsZoomInChecked() const { return m_zoomInChecked; }
    bool IsZoomOutChecked() const { return m_zoomOutChecked; }
    bool IsFitToWindow() const { return m_fitToWindow; }
    // Canvas pixels per image pixel.
    double Zoom() const { return m_zoom; }
    // The image point, in image pixels, under the middle of the canvas.
    QPoint Center() const { return m_center; }
    // Where the scaled image lies in the canvas (the viewport), right and bottom exclusive.
    QRect ImageRect() const { return m_rcImage; }
    const CClipObj* Clip() const { return m_pImage.get(); }

    // The colour of canvas that the image does not cover.
    void SetBackColor(ColorRef color);
    ColorRef BackColor() const { return m_backColor; }

    QSize sizeHint() const override { return QSize(474, 294); }

Q_SIGNALS:
    // Something the user should be told (a file that no longer exists).
    void problem(const QString& message);
    // The image, the zoom or a check state changed: the pane refreshes its commands.
    void stateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void PlaceImage(int cw, int ch);
    void ApplyScrollBars(int cw, int ch, int hMax, int hPos, int vMax, int vPos);
    void DrawVisiblePart(QPainter& painter, const QRect& exposed) const;
    bool ZoomIsSane(double zoom) const;
    int ImageWidth() const;
    int ImageHeight() const;
    // The image's path when its file exists; otherwise reports it and gives an empty string.
    QString ExistingFile();

    std::unique_ptr<CClipObj> m_pImage;
    bool m_fitToWindow = false;
    bool m_zoomInChecked = false;
    bool m_zoomOutChecked = false;
    double m_zoom = 1.0;
    QPoint m_center;
    QRect m_rcImage;
    ColorRef m_backColor;
    // Set while the scroll bars are moved to match a new placement, which is no scrolling.
    bool m_syncingBars = false;
    int m_recalcDepth = 0;
    bool m_recalcAgain = false;
};
