// Where the canvas puts the image: the fit, the zoom steps around the middle, the scroll ranges,
// and what the canvas's and the image's sizes may not break.
#include "preview_fixture.h"

#include <cmath>

using CanvasGeometry = PreviewFixture;

TEST_F(CanvasGeometry, FitShowsSmallImagesAtOriginalSizeAndScalesLargeOnesByTheTighterSide)
{
    Show("small.png", 400, 300);
    EXPECT_EQ(m_canvas.Zoom(), 1.0);
    EXPECT_EQ(m_canvas.ImageRect(), Edges(200, 150, 600, 450));
    EXPECT_EQ(HBar().maximum() + VBar().maximum(), 0);
    Show("wide.png", 1600, 600);
    EXPECT_EQ(m_canvas.Zoom(), 0.5);
    EXPECT_EQ(m_canvas.ImageRect(), Edges(0, 150, 800, 450));
    Show("tall.png", 800, 1200);
    EXPECT_EQ(m_canvas.Zoom(), 0.5);
    EXPECT_EQ(m_canvas.ImageRect(), Edges(200, 0, 600, 600));
    SetViewport(400, 300);
    EXPECT_EQ(m_canvas.ImageRect(), Edges(100, 0, 300, 300)) << "the fit follows the canvas";
}

TEST_F(CanvasGeometry, ZoomStepsAroundTheMiddleAndZoomOutStopsOnceTheImageIsInsideAtOriginalSize)
{
    Show("small.png", 400, 300);
    m_canvas.ZoomIn();
    EXPECT_DOUBLE_EQ(m_canvas.Zoom(), 1.1);
    // 400 - 200 x 1.1 is just below 180 in doubles; centring puts the edge back on 180.
    EXPECT_EQ(m_canvas.ImageRect(), Edges(180, 135, 620, 465));
    EXPECT_TRUE(m_canvas.IsZoomInChecked() && !m_canvas.IsZoomOutChecked() && !m_canvas.IsFitToWindow());
    m_canvas.ZoomOut();
    EXPECT_EQ(m_canvas.Zoom(), 1.0);
    EXPECT_EQ(m_canvas.ImageRect(), Edges(200, 150, 600, 450));

    m_canvas.ZoomIn();
    m_canvas.FitToWindow();
    EXPECT_TRUE(m_canvas.IsZoomInChecked()) << "the fit keeps the marks";
    m_canvas.ZoomOut();
    EXPECT_EQ(m_canvas.Zoom(), 1.0) << "the whole image is inside: only the marks change";
    EXPECT_EQ(m_canvas.ImageRect(), Edges(200, 150, 600, 450));
    EXPECT_TRUE(!m_canvas.IsZoomInChecked() && m_canvas.IsZoomOutChecked());
}

TEST_F(CanvasGeometry, TheScrollRangesAreTheHiddenPartAndTheCentreFollowsEveryStep)
{
    Show("large.png", 2000, 1500);
    m_canvas.ShowOriginalSize();
    EXPECT_EQ(HBar().maximum(), 1200);
    EXPECT_EQ(HBar().singleStep(), 10);
    EXPECT_EQ(HBar().pageStep(), 800);
    EXPECT_EQ(HBar().value(), 600);
    HBar().triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(m_canvas.ImageRect().left(), -1200) << "held to the range";
    EXPECT_EQ(m_canvas.Center().x(), 1600);

    HBar().setValue(0);
    VBar().setValue(0);
    ASSERT_EQ(m_canvas.Center(), QPoint(400, 300));
    SetViewport(1000, 600);
    EXPECT_EQ(m_canvas.ImageRect().left(), 0) << "a wider canvas keeps the left end at the left edge";
    EXPECT_EQ(m_canvas.Center().x(), 500);
    // At the top-left corner at original size, Zoom Out waits for the top or left edge to leave.
    m_canvas.ZoomOut();
    EXPECT_EQ(m_canvas.ImageRect(), Edges(0, 0, 2000, 1500));
    HBar().triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(HBar().value(), 10);
    EXPECT_EQ(m_canvas.Center().x(), 510);
    m_canvas.ZoomOut();
    EXPECT_DOUBLE_EQ(m_canvas.Zoom(), 1.0 / 1.1);
}

// Scrolled to its bottom in a low canvas, the image comes to rest exactly against the top once the
// canvas grows taller than it; it used to stay there with the whole gap below.
TEST_F(CanvasGeometry, GrowingTheCanvasCentresAnImageThatNoLongerFillsIt)
{
    SetViewport(800, 400);
    Show("column.png", 300, 500);
    m_canvas.ShowOriginalSize();
    VBar().setValue(VBar().maximum());
    SetViewport(800, 600);
    EXPECT_EQ(m_canvas.ImageRect(), Edges(250, 50, 550, 550));
    EXPECT_EQ(m_canvas.Center(), QPoint(150, 250));
}

// Endless Zoom In used to overflow the integer geometry after some 150 steps; a canvas of no
// height (a pane dragged down to its toolbar) fitted to a zoom of 0 and divided by it.
TEST_F(CanvasGeometry, TheZoomStaysWithinBoundsThatKeepTheGeometryFinite)
{
    for (const auto& [width, bound] : {std::pair{400, CEditDlg::kMaxZoom}, std::pair{4000, 100000.0 / 4000}}) {
        Show(QStringLiteral("big%1.png").arg(width), width, 100);
        for (int i = 0; i < 200; ++i)
            m_canvas.ZoomIn();
        EXPECT_LE(m_canvas.Zoom(), bound);
        EXPECT_GT(m_canvas.Zoom() * CEditDlg::kZoomStep, bound) << "grew to the last step below";
        EXPECT_EQ(m_canvas.ImageRect().width(), int(width * m_canvas.Zoom()));
    }

    m_canvas.resize(800, 0);
    Show("small.png", 400, 300);
    m_canvas.ShowOriginalSize();
    for (int i = 0; i < 300; ++i)
        m_canvas.ZoomOut();
    EXPECT_GE(m_canvas.Zoom() * 400, 1.0) << "never shrinks under a pixel";
    VBar().triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_TRUE(std::isfinite(m_canvas.Zoom()));
    SetViewport(800, 600);
    m_canvas.FitToWindow();
    EXPECT_EQ(m_canvas.ImageRect(), Edges(200, 150, 600, 450));
}
