// The thumbnail grid with a folder of 10,000 items against one of 100: painting the window,
// showing the folder (with the check for files deleted behind the program's back), selecting all.
// Run with QT_QPA_PLATFORM=offscreen bench_library.
#include "ckestivoview.h"
#include "nodeobj.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>

namespace {

double MeanMs(int rounds, const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < rounds; ++i)
        work();
    return double(clock.nsecsElapsed()) / 1e6 / rounds;
}

// A folder of count items, each with its file and an 80 x 60 thumbnail, as grabs leave them.
std::unique_ptr<CNodeObj> MakeFolder(const QString& dir, int count)
{
    auto folder = std::make_unique<CNodeObj>();
    QByteArray thumb(CClipObj::kThumbHeaderBytes + 80 * 60 * 3, '\0');
    for (int i = CClipObj::kThumbHeaderBytes; i < thumb.size(); ++i)
        thumb[i] = char(i * 7);
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("%1/grab_%2_%3.bmp").arg(dir).arg(count).arg(i);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        auto clip = std::make_unique<CClipObj>();
        clip->SetPath(path);
        clip->SetCaption(QStringLiteral("grab_%1").arg(i));
        clip->SetThumbnail(80, 60, thumb);
        folder->AddClip(std::move(clip));
    }
    return folder;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir files;
    const auto small = MakeFolder(files.path(), 100);
    const auto large = MakeFolder(files.path(), 10000);

    CKestivoView view;
    view.resize(1280, 800);
    view.show();
    (void)QTest::qWaitForWindowExposed(&view);

    auto paint = [&](CNodeObj* folder) {
        view.ShowFolder(folder);
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
        return MeanMs(200, [&] { view.viewport()->repaint(); });
    };
    const double paintSmall = paint(small.get());
    const double paintLarge = paint(large.get());
    const double showSmall = MeanMs(20, [&] { view.ShowFolder(small.get()); });
    const double showLarge = MeanMs(20, [&] { view.ShowFolder(large.get()); });
    const double selectLarge = MeanMs(5, [&] {
        view.SetSelected(-1, true);
        view.DeselectAll();
    });

    std::printf("paint, folder of 100:          %8.3f ms\n", paintSmall);
    std::printf("paint, folder of 10,000:       %8.3f ms  (ratio %.2f)\n", paintLarge, paintLarge / paintSmall);
    std::printf("show, folder of 100:           %8.3f ms\n", showSmall);
    std::printf("show, folder of 10,000:        %8.3f ms  (ratio %.1f for 100 times the items)\n", showLarge,
                showLarge / showSmall);
    std::printf("select all + none, 10,000:     %8.3f ms\n", selectLarge);
    return 0;
}
