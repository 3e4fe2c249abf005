// Painting the preview canvas (1280 x 720) showing a 1920 x 1080 picture: fitted, and zoomed to
// about 8 with only the visible part drawn; for contrast, the whole picture drawn scaled at that
// zoom (Qt's raster engine clips a scaled blit by itself, so on an image target that costs about
// the same; the canvas does not rely on it). The goal: the deep zoom no slower than twice the
// fitted view. QT_QPA_PLATFORM=offscreen bench_preview
#include "ceditdlg.h"
#include "clipobj.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRounds = 40;

double MeanMs(const std::function<void()>& work)
{
    work();  // warm up
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kRounds; ++i)
        work();
    return double(clock.nsecsElapsed()) / 1e6 / kRounds;
}

QString MakePicture(const QTemporaryDir& dir)
{
    // A 24-bit bitmap, stored bottom-up, as a grab saved in the default type is.
    QImage picture(1920, 1080, QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            row[3 * x] = uchar(x * 255 / 1919);
            row[3 * x + 1] = uchar(y * 255 / 1079);
            row[3 * x + 2] = uchar((x ^ y) & 0xFF);
        }
    }
    const QString path = dir.filePath(QStringLiteral("hd.bmp"));
    picture.save(path);
    return path;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    CClipObj item;
    item.SetPath(MakePicture(dir));

    CEditDlg canvas;
    canvas.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    canvas.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    canvas.resize(1280, 720);
    canvas.show();
    QApplication::processEvents();
    canvas.ShowClip(item);
    if (canvas.Clip()->GetImage().IsNull())
        return 1;

    QImage target(canvas.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const auto paint = [&] { canvas.viewport()->render(&target); };

    const double fitZoom = canvas.Zoom();
    const double fitMs = MeanMs(paint);

    canvas.ShowOriginalSize();
    for (int i = 0; i < 22; ++i)
        canvas.ZoomIn();
    const double deepMs = MeanMs(paint);

    const CImage& image = canvas.Clip()->GetImage();
    const QRect rc = canvas.ImageRect();
    const double wholeMs = MeanMs([&] {
        QPainter painter(&target);
        image.Draw(&painter, rc.left(), rc.top(), rc.width(), rc.height(), image.GetWidth(), image.GetHeight());
    });

    std::printf("canvas %dx%d, picture %dx%d, %d-bit\n", target.width(), target.height(), image.GetWidth(),
                image.GetHeight(), image.GetBPP());
    std::printf("fitted (zoom %.3f, smoothed)        %8.2f ms\n", fitZoom, fitMs);
    std::printf("zoom %.2f, visible part drawn       %8.2f ms   ratio to fitted %.2f\n", canvas.Zoom(), deepMs,
                deepMs / fitMs);
    std::printf("zoom %.2f, whole picture drawn      %8.2f ms   ratio to fitted %.2f\n", canvas.Zoom(), wholeMs,
                wholeMs / fitMs);
    return 0;
}
