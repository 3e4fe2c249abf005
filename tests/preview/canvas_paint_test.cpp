// What the canvas shows: the background where the image is not, smoothing below original size,
// alpha over the background, and at a deep zoom exactly the image pixels that belong there.
#include "preview_fixture.h"

#include <QFile>
#include <cmath>

namespace {

class CanvasPaint : public PreviewFixture {
protected:
    static constexpr ColorRef kBack = MakeColorRef(10, 200, 30);

    void SetUp() override
    {
        PreviewFixture::SetUp();
        m_canvas.SetBackColor(kBack);
    }

    static int CountOtherThan(const QImage& screen, QColor colour)
    {
        int count = 0;
        for (int y = 0; y < screen.height(); ++y) {
            for (int x = 0; x < screen.width(); ++x)
                count += screen.pixelColor(x, y) != colour;
        }
        return count;
    }
};

// Every image pixel has its own colour, so a wrong source rectangle shows as a wrong colour.
QColor Coded(int x, int y)
{
    return QColor(x % 256, y % 256, (x / 256) * 64 + (y / 256) * 16);
}

}  // namespace

TEST_F(CanvasPaint, AnUndecodableImageShowsOnlyTheBackgroundAndAVanishedFileIsReported)
{
    const QString path = m_dir.filePath(QStringLiteral("broken.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG not really");
    file.close();

    Show(path);
    EXPECT_TRUE(m_canvas.HasImage());
    EXPECT_EQ(m_canvas.Zoom(), 1.0);
    EXPECT_TRUE(m_canvas.ImageRect().isEmpty());
    EXPECT_EQ(CountOtherThan(Screen(), ToQColor(kBack)), 0);
    m_canvas.ZoomIn();
    m_canvas.ZoomOut();
    EXPECT_EQ(CountOtherThan(Screen(), ToQColor(kBack)), 0);

    ASSERT_TRUE(QFile::remove(path));
    m_canvas.OpenFolder();
    ASSERT_EQ(m_problems.size(), 1u);
    EXPECT_EQ(m_problems[0], path + QStringLiteral(" don't exist"));
}

TEST_F(CanvasPaint, TheBackgroundFillsWhatTheImageLeavesAndSmoothingStartsBelowOriginalSize)
{
    // One-pixel black and white checks: smoothed at half size they turn grey.
    Show(MakeImage("checks.png", 1600, 1000, [](int x, int y) { return (x + y) % 2 ? Qt::white : Qt::black; }));
    ASSERT_EQ(m_canvas.Zoom(), 0.5);
    ASSERT_EQ(m_canvas.ImageRect(), Edges(0, 50, 800, 550));
    const QImage fitted = Screen();
    EXPECT_EQ(fitted.pixelColor(400, 20), ToQColor(kBack)) << "above the image";
    EXPECT_EQ(fitted.pixelColor(400, 580), ToQColor(kBack)) << "below the image";
    for (const QPoint p : {QPoint(100, 100), QPoint(401, 301), QPoint(700, 500)})
        EXPECT_NEAR(fitted.pixelColor(p).red(), 128, 40) << p.x() << "," << p.y();

    m_canvas.ShowOriginalSize();
    const QImage original = Screen();
    for (const QPoint p : {QPoint(100, 100), QPoint(401, 301), QPoint(700, 500)}) {
        const int red = original.pixelColor(p).red();
        EXPECT_TRUE(red == 0 || red == 255) << "unsmoothed at 1.0: " << red;
    }
}

TEST_F(CanvasPaint, AlphaIsBlendedOverTheBackgroundEvenWhereTheImageCoversTheCanvas)
{
    Show(MakeImage("veil.png", 800, 600, [](int, int) { return QColor(255, 0, 0, 128); }, QImage::Format_ARGB32));
    ASSERT_EQ(m_canvas.ImageRect(), Edges(0, 0, 800, 600));
    for (int round = 0; round < 2; ++round) {
        const QColor seen = Screen().pixelColor(400, 300);
        EXPECT_NEAR(seen.red(), (255 + 10) / 2, 3);
        EXPECT_NEAR(seen.green(), 200 / 2, 3);
        EXPECT_NEAR(seen.blue(), 30 / 2, 3);
    }
}

// Only the visible part of the scaled image is drawn; it must be the right part, at every scroll
// position.
TEST_F(CanvasPaint, ADeepZoomShowsTheImagePixelsThatBelongUnderEachCanvasPixel)
{
    Show(MakeImage("coded.png", 600, 400, Coded));
    for (int i = 0; i < 30; ++i)
        m_canvas.ZoomIn();
    ASSERT_GT(m_canvas.Zoom(), 8.0);

    const auto check = [this](const char* where) {
        const QImage screen = Screen();
        const QRect rc = m_canvas.ImageRect();
        const double fx = double(rc.width()) / 600;
        const double fy = double(rc.height()) / 400;
        int checked = 0;
        for (int py = 3; py < 600; py += 37) {
            for (int px = 5; px < 800; px += 41) {
                const double ix = (px + 0.5 - rc.left()) / fx;
                const double iy = (py + 0.5 - rc.top()) / fy;
                // Away from the seams between scaled pixels, where rounding may go either way.
                if (std::abs(ix - std::round(ix)) < 0.1 || std::abs(iy - std::round(iy)) < 0.1)
                    continue;
                ASSERT_EQ(screen.pixelColor(px, py), Coded(int(ix), int(iy)))
                    << where << ": canvas " << px << "," << py << ", image " << ix << "," << iy;
                ++checked;
            }
        }
        EXPECT_GT(checked, 100) << where;
    };
    check("around the middle");
    HBar().setValue(0);
    VBar().setValue(VBar().maximum());
    check("bottom left");
    HBar().triggerAction(QAbstractSlider::SliderPageStepAdd);
    VBar().triggerAction(QAbstractSlider::SliderSingleStepSub);
    check("after a page right and a line up");
    EXPECT_EQ(m_canvas.ImageRect().left(), -800);
}
