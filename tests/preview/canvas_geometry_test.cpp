// Where the canvas puts the image: the fit, the zoom steps around the middle, the scroll ranges
// and positions, and what the canvas's and the image's sizes may not break.
#include "preview_fixture.h"

#include <QTest>
#include <cmath>

namespace {

class CanvasGeometry : public PreviewFixture {};

}  // namespace

TEST_F(CanvasGeometry, FitShowsSmallImagesAtOriginalSizeAndScalesLargeOnesByTheTighterSide)
{
    Show(MakeImage("small.png", 400, 300));
    EXPECT_TRUE(m_canvas.IsFitToWindow());
    EXPECT_EQ(m_canvas.Zoom(), 1.0);
    EXPECT_EQ(m_canvas.ImageRect(), Edges(200, 150, 600, 450));
    EXPECT_EQ(HBar().maximum(), 0);
    EXPECT_EQ(VBar().maximum(), 0);

    Show(MakeImage("wide.png", 1600, 600));
    EXPECT_EQ(m_canvas.Zoom(), 0.5);
    EXPECT_EQ(m_canvas.ImageRect(), Edges(0, 150, 800, 450)) << "fitted by width";

    Show(MakeImage("tall.png", 800, 1200));
    EXPECT_EQ(m_canvas.Zoom(), 0.5) << "sy = 0.5 is below sx = 1.0";
    EXPECT_EQ(m_canvas.ImageRect(), Edges(200, 0, 600, 600));

    SetViewport(400, 300);
    EXPECT_EQ(m_canvas.Zoom(), 0.25) << "in fit mode the image follows the canvas";
    EXPECT_EQ(m_canvas.ImageRect(), Edges(100, 0, 300, 300));
    EXPECT_EQ(VBar().maximum(), 0);
}

TEST_F(CanvasGeometry, ZoomStepsAroundTheMiddleAndZoomOutStopsAtOriginalSizeOnceTheImageIsInside)
{
    Show(MakeImage("small.png", 400, 300));
    m_canvas.ZoomIn();
    EXPECT_DOUBLE_EQ(m_canvas.Zoom(), 1.1);
    // 400 - 200 x 1.1 is just below 180 in doubles; centring puts the edge back on 180.
    EXPECT_EQ(m_canvas.ImageRect(), Edges(180, 135, 620, 465));
    EXPECT_FALSE(m_canvas.IsFitToWindow());
    EXPECT_TRUE(m_canvas.IsZoomInChecked());
    EXPECT_FALSE(m_canvas.IsZoomOutChecked());

    m_canvas.ZoomOut();
    EXPECT_EQ(m_canvas.Zoom(), 1.0);
    EXPECT_EQ(m_canvas.ImageRect(), Edges(200, 150, 600, 450));
    EXPECT_FALSE(m_canvas.IsZoomInChecked());
    EXPECT_TRUE(m_canvas.IsZoomOutChecked());

    // Zoom In, then Fit Size: the fit keeps the check marks. Zoom Out at 1.0 with the whole
    // image inside then changes only the marks.
    m_canvas.ZoomIn();
    m_canvas.FitToWindow();
    EXPECT_TRUE(m_canvas.IsZoomInChecked());
    EXPECT_EQ(m_canvas.ImageRect(), Edges(200, 150, 600, 450));
    m_canvas.ZoomOut();
    EXPECT_EQ(m_canvas.Zoom(), 1.0);
    EXPECT_EQ(m_canvas.ImageRect(), Edges(200, 150, 600, 450));
    EXPECT_FALSE(m_canvas.IsZoomInChecked());
    EXPECT_TRUE(m_canvas.IsZoomOutChecked());

    m_canvas.ShowOriginalSize();
    EXPECT_TRUE(m_canvas.IsZoomOutChecked()) << "Original Size leaves the marks too";
}

TEST_F(CanvasGeometry, ScrollBarsCoverTheHiddenPartAndStepByTenOrByTheCanvas)
{
    Show(MakeImage("band.png", 2000, 300));
    m_canvas.ShowOriginalSize();
    EXPECT_EQ(HBar().minimum(), 0);
    EXPECT_EQ(HBar().maximum(), 1200);
    EXPECT_EQ(HBar().singleStep(), 10);
    EXPECT_EQ(HBar().pageStep(), 800);
    EXPECT_EQ(HBar().value(), 600) << "the middle of the image under the middle of the canvas";
    EXPECT_EQ(VBar().maximum(), 0);
    EXPECT_EQ(m_canvas.Center(), QPoint(1000, 150));

    HBar().triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(HBar().value(), 610);
    EXPECT_EQ(m_canvas.ImageRect().left(), -610);
    EXPECT_EQ(m_canvas.Center().x(), 1010);

    HBar().triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(HBar().value(), 1200) << "held to the range";
    EXPECT_EQ(m_canvas.ImageRect().right() + 1, 800) << "the right edge at the canvas's";
    EXPECT_EQ(m_canvas.Center().x(), 1600);

    HBar().triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(HBar().value(), 400);
    HBar().triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(m_canvas.ImageRect().left(), 0);
    EXPECT_EQ(m_canvas.Center().x(), 400);
}

TEST_F(CanvasGeometry, WideningTheCanvasKeepsAnImageAtItsLeftEndAgainstTheLeftEdge)
{
    Show(MakeImage("band.png", 2000, 300));
    m_canvas.ShowOriginalSize();
    HBar().setValue(0);
    ASSERT_EQ(m_canvas.Center().x(), 400);

    SetViewport(1000, 600);
    EXPECT_EQ(m_canvas.ImageRect().left(), 0);
    EXPECT_EQ(HBar().value(), 0);
    EXPECT_EQ(HBar().maximum(), 1000);
    EXPECT_EQ(m_canvas.Center().x(), 500);

    HBar().triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(HBar().value(), 10);
    EXPECT_EQ(m_canvas.Center().x(), 510);
}

// Scrolled to its bottom in a low canvas, an image comes to rest exactly against the top edge
// once the canvas grows taller than it; it used to stay there with the whole gap below.
TEST_F(CanvasGeometry, GrowingTheCanvasCentresAnImageThatNoLongerFillsIt)
{
    SetViewport(800, 400);
    Show(MakeImage("column.png", 300, 500));
    m_canvas.ShowOriginalSize();
    VBar().setValue(VBar().maximum());
    ASSERT_EQ(m_canvas.Center().y(), 300);

    SetViewport(800, 600);
    EXPECT_EQ(m_canvas.ImageRect(), Edges(250, 50, 550, 550));
    EXPECT_EQ(m_canvas.Center(), QPoint(150, 250));
    EXPECT_EQ(VBar().maximum(), 0);
}

TEST_F(CanvasGeometry, ZoomOutAtOriginalSizeActsOnlyWhileTheTopOrLeftEdgeIsOutside)
{
    Show(MakeImage("large.png", 2000, 1500));
    m_canvas.ShowOriginalSize();
    HBar().setValue(0);
    VBar().setValue(0);
    const QRect corner = m_canvas.ImageRect();
    ASSERT_EQ(corner, Edges(0, 0, 2000, 1500));

    m_canvas.ZoomOut();
    EXPECT_EQ(m_canvas.Zoom(), 1.0) << "the image still runs past the bottom and right, but nothing moves";
    EXPECT_EQ(m_canvas.ImageRect(), corner);
    EXPECT_TRUE(m_canvas.IsZoomOutChecked());

    VBar().triggerAction(QAbstractSlider::SliderSingleStepAdd);
    m_canvas.ZoomOut();
    EXPECT_DOUBLE_EQ(m_canvas.Zoom(), 1.0 / 1.1);
}

// Endless Zoom In used to overflow the integer geometry after some 150 steps.
TEST_F(CanvasGeometry, ZoomInStopsGrowingAtABoundAndTheCommandStaysHarmless)
{
    struct Case {
        int width, height;
        double limit;
    };
    for (const Case& c : {Case{400, 300, CEditDlg::kMaxZoom}, Case{4000, 100, 100000.0 / 4000}}) {
        Show(MakeImage(QStringLiteral("big%1.png").arg(c.width), c.width, c.height));
        for (int i = 0; i < 200; ++i)
            m_canvas.ZoomIn();
        const double zoom = m_canvas.Zoom();
        EXPECT_LE(zoom, c.limit) << c.width;
        EXPECT_GT(zoom * CEditDlg::kZoomStep, c.limit) << "grew up to the last step below the bound";
        EXPECT_EQ(m_canvas.ImageRect().width(), int(c.width * zoom));
        EXPECT_EQ(m_canvas.ImageRect().height(), int(c.height * zoom));
        EXPECT_TRUE(m_canvas.IsZoomInChecked());
        EXPECT_FALSE(Screen().isNull());
        m_canvas.ZoomOut();
        EXPECT_DOUBLE_EQ(m_canvas.Zoom(), zoom / CEditDlg::kZoomStep);
    }
}

// A pane dragged down to its toolbar leaves a canvas of no height: a fit of 0 would make every
// later division by the zoom infinite.
TEST_F(CanvasGeometry, ACanvasWithoutRoomNeverLeavesAZeroZoom)
{
    m_canvas.resize(800, 0);
    Settle();
    ASSERT_EQ(m_canvas.viewport()->height(), 0);
    Show(MakeImage("small.png", 400, 300));
    EXPECT_GT(m_canvas.Zoom(), 0.0);
    m_canvas.ShowOriginalSize();
    for (int i = 0; i < 300; ++i)
        m_canvas.ZoomOut();
    EXPECT_GE(m_canvas.Zoom() * 400, 1.0) << "the image never shrinks under a pixel";
    VBar().triggerAction(QAbstractSlider::SliderPageStepAdd);
    HBar().triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_TRUE(std::isfinite(m_canvas.Zoom()));

    SetViewport(800, 600);
    m_canvas.FitToWindow();
    EXPECT_EQ(m_canvas.Zoom(), 1.0);
    EXPECT_EQ(m_canvas.ImageRect(), Edges(200, 150, 600, 450));
}

TEST_F(CanvasGeometry, ScrollBarsShowOnlyWhileTheImageIsLargerThanTheCanvas)
{
    m_canvas.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_canvas.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Show(MakeImage("band.png", 2000, 300));
    EXPECT_FALSE(HBar().isVisible()) << "fitted";
    EXPECT_FALSE(VBar().isVisible());

    m_canvas.ShowOriginalSize();
    Settle();
    EXPECT_TRUE(HBar().isVisible());
    EXPECT_FALSE(VBar().isVisible());
    const QSize client = m_canvas.viewport()->size();
    EXPECT_LT(client.height(), 600) << "the bar takes its room from the canvas";
    EXPECT_EQ(HBar().maximum(), 2000 - client.width());
    EXPECT_EQ(m_canvas.ImageRect().top(), client.height() / 2 - 150) << "centred again in what is left";

    m_canvas.FitToWindow();
    Settle();
    EXPECT_FALSE(HBar().isVisible());
    EXPECT_EQ(m_canvas.viewport()->size(), QSize(800, 600));
}
