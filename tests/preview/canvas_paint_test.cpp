// What the canvas shows: the background where the image is not, alpha over the background, and
// at a deep zoom exactly the image pixels that belong there.
#include "preview_fixture.h"

#include <QFile>
#include <cmath>

namespace {

constexpr ColorRef kBack = MakeColorRef(10, 200, 30);

class CanvasPaint : public PreviewFixture {
protected:
    void SetUp() override
    {
        PreviewFixture::SetUp();
        m_canvas.SetBackColor(kBack);
    }
};

// Every image pixel its own colour, so a wrong source rectangle shows as a wrong colour.
QColor Coded(int x, int y)
{
    return QColor(x % 256, y % 256, (x / 256) * 64 + (y / 256) * 16);
}

}  // namespace

TEST_F(CanvasPaint, AnUndecodableImageShowsOnlyTheBackground)
{
    QFile file(m_dir.filePath(QStringLiteral("broken.png")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("\x89PNG not really") > 0);
    file.close();
    CClipObj item;
    item.SetPath(file.fileName());
    m_canvas.ShowClip(item);
    m_canvas.ZoomIn();
    EXPECT_TRUE(m_canvas.HasImage() && m_canvas.ImageRect().isEmpty());
    QImage background = Screen();
    background.fill(ToQColor(kBack));
    EXPECT_EQ(Screen(), background);
}

// The background goes under a translucent image too, though the image covers the canvas:
// blended over what the last paint left, it would darken with every repaint.
TEST_F(CanvasPaint, AlphaIsBlendedOverTheBackground)
{
    Show("veil.png", 800, 600, [](int, int) { return QColor(255, 0, 0, 128); }, QImage::Format_ARGB32);
    const QColor seen = Screen().pixelColor(400, 300);
    EXPECT_NEAR(seen.red(), (255 + 10) / 2, 3);
    EXPECT_NEAR(seen.green(), 200 / 2, 3);
}

// Only the visible part of the scaled image is drawn; it must be the right part wherever the
// canvas is scrolled to.
TEST_F(CanvasPaint, ADeepZoomShowsTheImagePixelThatBelongsUnderEachCanvasPixel)
{
    Show("coded.png", 600, 400, Coded);
    for (int i = 0; i < 30; ++i)
        m_canvas.ZoomIn();
    const auto check = [this](const char* where) {
        const QImage screen = Screen();
        const QRect rc = m_canvas.ImageRect();
        for (int py = 3; py < 600; py += 37) {
            for (int px = 5; px < 800; px += 41) {
                const double ix = (px + 0.5 - rc.left()) * 600 / rc.width();
                const double iy = (py + 0.5 - rc.top()) * 400 / rc.height();
                // Away from the seams between scaled pixels, where rounding may go either way.
                if (std::abs(ix - std::round(ix)) > 0.1 && std::abs(iy - std::round(iy)) > 0.1) {
                    ASSERT_EQ(screen.pixelColor(px, py), Coded(int(ix), int(iy))) << where << " " << px << "," << py;
                }
            }
        }
    };
    check("middle");
    HBar().setValue(0);
    VBar().setValue(VBar().maximum());
    check("bottom left");
    HBar().triggerAction(QAbstractSlider::SliderPageStepAdd);
    VBar().triggerAction(QAbstractSlider::SliderSingleStepSub);
    check("a page right, a line up");
}
