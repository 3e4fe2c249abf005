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
#include <algorithm>
#include <functional>
#include <vector>

namespace {

// A paint is short enough for the machine's noise to swamp a mean.
double Median(std::vector<double> times)
{
    std::nth_element(times.begin(), times.begin() + std::ptrdiff_t(times.size() / 2), times.end());
    return times[times.size() / 2];
}

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

    // Two windows full of cells, painted in turn so that the machine's drift hits both alike: the
    // folder of 100 at its top, the one of 10,000 in its middle.
    CKestivoView smallView, view;
    for (CKestivoView* shown : {&smallView, &view}) {
        shown->resize(1280, 800);
        shown->show();
        (void)QTest::qWaitForWindowExposed(shown);
    }
    smallView.ShowFolder(small.get());
    view.ShowFolder(large.get());
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    std::vector<double> smallTimes, largeTimes;
    QElapsedTimer clock;
    for (int i = 0; i < 301; ++i) {
        for (auto [shown, times] : {std::pair{&smallView, &smallTimes}, std::pair{&view, &largeTimes}}) {
            clock.start();
            shown->viewport()->repaint();
            times->push_back(double(clock.nsecsElapsed()) / 1e6);
        }
    }
    const double paintSmall = Median(smallTimes);
    const double paintLarge = Median(largeTimes);
    const double showSmall = MeanMs(20, [&] { view.ShowFolder(small.get()); });
    const double showLarge = MeanMs(20, [&] { view.ShowFolder(large.get()); });
    const double selectLarge = MeanMs(5, [&] {
        view.SetSelected(-1, true);
        view.DeselectAll();
    });

    std::printf("paint (median), folder of 100:    %8.3f ms\n", paintSmall);
    std::printf("paint (median), folder of 10,000: %8.3f ms  (ratio %.2f)\n", paintLarge, paintLarge / paintSmall);
    std::printf("show, folder of 100:           %8.3f ms\n", showSmall);
    std::printf("show, folder of 10,000:        %8.3f ms  (ratio %.1f for 100 times the items)\n", showLarge,
                showLarge / showSmall);
    std::printf("select all + none, 10,000:     %8.3f ms\n", selectLarge);
    return 0;
}
