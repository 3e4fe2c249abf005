// The pane layouts measured on a real X server: dock sizes only settle in a shown, laid-out window.
#include "panelayouts.h"

#include "ceditpane.h"
#include "csourcepane.h"
#include "mainframe.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kSlack = 8;  // separators, tab bars and title bars are the style's business

// A main window built like the program's: a menu, a tool bar, a status bar, the library's MDI
// area in the middle, and the panes in their start-up places on the right edge.
struct PaneFrame {
    QMainWindow window;
    QDockWidget* preview = AddPane("PreviewPane", "Preview");
    QDockWidget* source = AddPane("SourcePane", "Source");
    QList<QDockWidget*> cams{AddPane("CamPane0", "Channel 1"), AddPane("CamPane1", "Channel 2")};

    PaneFrame()
    {
        window.setCentralWidget(new QMdiArea);
        window.menuBar()->addMenu(QStringLiteral("&File"));
        window.addToolBar(QStringLiteral("Capture"))->addAction(QStringLiteral("Grab All"));
        window.statusBar()->showMessage(QStringLiteral("Ready"));
        window.addDockWidget(Qt::RightDockWidgetArea, source);
        window.splitDockWidget(source, preview, Qt::Vertical);
        window.tabifyDockWidget(source, cams[0]);
        window.tabifyDockWidget(cams[0], cams[1]);
        window.resize(1400, 900);
    }

    QDockWidget* AddPane(const char* name, const char* title)
    {
        auto* pane = new QDockWidget(QString::fromLatin1(title), &window);
        pane->setObjectName(QString::fromLatin1(name));
        auto* content = new QWidget;
        content->setMinimumSize(120, 80);
        pane->setWidget(content);
        return pane;
    }
};

// What is wrong with the panes' places against the layout, or empty when nothing is.
QString Misfit(const QMainWindow& frame, const panelayout::Layout& layout, QDockWidget* preview,
               QDockWidget* source, const QList<QDockWidget*>& cams)
{
    QStringList wrong;
    auto expectNear = [&](const char* what, int actual, int expected) {
        if (std::abs(actual - expected) > kSlack)
            wrong << QStringLiteral("%1 %2, expected %3").arg(QLatin1String(what)).arg(actual).arg(expected);
    };
    QList<QDockWidget*> panes{preview, source};
    panes.append(cams);
    const Qt::DockWidgetArea area = layout.bottom ? Qt::BottomDockWidgetArea : Qt::TopDockWidgetArea;
    for (const QDockWidget* pane : std::as_const(panes)) {
        if (!pane->isVisible() || pane->isFloating() || frame.dockWidgetArea(const_cast<QDockWidget*>(pane)) != area)
            wrong << pane->objectName() + QStringLiteral(" not shown docked in the band's area");
    }

    int areaTop = frame.menuWidget() ? frame.menuWidget()->geometry().bottom() + 1 : 0;
    for (const QToolBar* toolBar : frame.findChildren<QToolBar*>()) {
        if (toolBar->isVisible() && frame.toolBarArea(const_cast<QToolBar*>(toolBar)) == Qt::TopToolBarArea)
            areaTop = std::max(areaTop, toolBar->geometry().bottom() + 1);
    }
    const int areaBottom = frame.statusBar()->isVisible() ? frame.statusBar()->geometry().top() - 1 : frame.height() - 1;
    const QRect shown = preview->geometry();
    if (layout.bottom)
        expectNear("preview bottom", shown.bottom(), areaBottom);
    else
        expectNear("preview top", shown.top(), areaTop);
    expectNear("preview height", shown.height(), panelayout::kBandHeight);
    expectNear("preview width", shown.width(), panelayout::kPreviewWidth);

    const QRect central = frame.centralWidget()->geometry();
    if (layout.bottom ? central.bottom() >= shown.top() : central.top() <= shown.bottom())
        wrong << QStringLiteral("the library window overlaps the band");

    QDockWidget* front = cams.isEmpty() ? source : cams.last();
    const QRect group = front->geometry();
    expectNear("source group top", group.top(), shown.top());
    if (layout.sourceRight) {
        expectNear("source group left", group.left(), shown.right() + 1);
        expectNear("source group right", group.right(), frame.width() - 1);
    } else {
        expectNear("source group left", group.left(), 0);
        expectNear("source group right", group.right(), shown.left() - 1);
    }

    QStringList expectedTabs{source->windowTitle()};
    for (const QDockWidget* cam : cams)
        expectedTabs << cam->windowTitle();
    const QTabBar* tabs = nullptr;
    for (const QTabBar* bar : frame.findChildren<QTabBar*>()) {
        for (int i = 0; bar->isVisible() && i < bar->count(); ++i) {
            if (bar->tabText(i) == source->windowTitle())
                tabs = bar;
        }
    }
    if (cams.isEmpty() != (tabs == nullptr)) {
        wrong << QStringLiteral("the source tabbed: %1").arg(tabs != nullptr);
    } else if (tabs) {
        QStringList texts;
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i);
        if (texts != expectedTabs || tabs->currentIndex() != tabs->count() - 1)
            wrong << QStringLiteral("tabs %1, front %2").arg(texts.join(QLatin1Char(','))).arg(tabs->currentIndex());
    }
    return wrong.join(QStringLiteral("; "));
}

// Waits for the frame to settle into the layout, for docks may be animated into place.
void ExpectLaidOut(const QMainWindow& frame, int id, QDockWidget* preview, QDockWidget* source,
                   const QList<QDockWidget*>& cams)
{
    QString misfit;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        misfit = Misfit(frame, panelayout::For(id), preview, source, cams);
        return misfit.isEmpty();
    }, 3000)) << misfit.toStdString();
}

class PaneLayouts : public testing::TestWithParam<int> {};

TEST_P(PaneLayouts, PutThePanesInTheBandFromAnyState)
{
    const int id = GetParam();
    PaneFrame f;
    f.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.window));
    panelayout::Apply(&f.window, id, f.preview, f.source, f.cams);
    ExpectLaidOut(f.window, id, f.preview, f.source, f.cams);

    // Everything a user can do to the panes at once: dragged dividers, a closed pane, a pane on
    // another edge, floating panes, one pulled out of its tab group.
    f.window.resizeDocks({f.preview}, {120}, Qt::Vertical);
    f.window.resizeDocks({f.preview, f.source}, {300, 200}, Qt::Horizontal);
    f.source->close();
    f.window.addDockWidget(Qt::LeftDockWidgetArea, f.cams[1]);
    f.cams[0]->setFloating(true);
    f.preview->setFloating(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.preview));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.cams[0]));

    panelayout::Apply(&f.window, id, f.preview, f.source, f.cams);
    ExpectLaidOut(f.window, id, f.preview, f.source, f.cams);
}

INSTANTIATE_TEST_SUITE_P(, PaneLayouts,
                         testing::Values(panelayout::kUpLeft, panelayout::kUpRight, panelayout::kDownLeft,
                                         panelayout::kDownRight, 0),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param ? std::string(panelayout::For(info.param).label + 13) : std::string("UnknownId");
                         });

// At start-up the layout may be applied before the window has its size.
TEST(PaneLayout, AppliedBeforeShowTakesItsSizesOnShow)
{
    PaneFrame f;
    panelayout::Apply(&f.window, panelayout::kDownRight, f.preview, f.source, f.cams);
    f.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.window));
    ExpectLaidOut(f.window, panelayout::kDownRight, f.preview, f.source, f.cams);
}

// The real panes bring their own minimum sizes, and without channels the source stands alone.
TEST(PaneLayout, FitsTheProgramsFrameWithoutChannels)
{
    CMainFrame frame;
    frame.SetQuiet(true);
    frame.resize(1400, 900);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    ASSERT_TRUE(frame.CamPanes().isEmpty());
    panelayout::Apply(&frame, panelayout::kUpRight, frame.PreviewPane(), frame.SourcePane(), {});
    ExpectLaidOut(frame, panelayout::kUpRight, frame.PreviewPane(), frame.SourcePane(), {});
}

// The panes where the last run left them win over the start-up layout that waits for the show.
TEST(PaneLayout, ARestoredWindowStateKeepsTheUsersSizes)
{
    QByteArray state;
    {
        CMainFrame frame;
        frame.SetQuiet(true);
        frame.resize(1400, 900);
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        frame.resizeDocks({frame.PreviewPane()}, {250}, Qt::Vertical);
        ASSERT_TRUE(QTest::qWaitFor([&] { return std::abs(frame.PreviewPane()->height() - 250) < 8; }, 5000));
        state = frame.saveState();
    }
    CMainFrame restarted;
    restarted.SetQuiet(true);
    restarted.resize(1400, 900);
    ASSERT_TRUE(restarted.RestoreWindowState(state));
    restarted.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&restarted));
    QTest::qWait(100);  // the queued start-up sizes would land now
    EXPECT_LT(std::abs(restarted.PreviewPane()->height() - 250), 8) << restarted.PreviewPane()->height();
}

}  // namespace
