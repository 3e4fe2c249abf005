#include "clipobj.h"
#include "csourcepane.h"
#include "mainframe.h"
#include "setobj.h"
#include "resource.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace kestivo;

TEST(MainFrame, TitleMenusAndEmptyLibraryArea)
{
    CMainFrame frame;
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Kestivo"));
    ASSERT_NE(frame.MdiArea(), nullptr);
    EXPECT_EQ(frame.centralWidget(), frame.MdiArea());
    EXPECT_TRUE(frame.MdiArea()->subWindowList().isEmpty());

    const QList<QAction*> menus = frame.menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("&Help"));
    EXPECT_EQ(menus[0]->menu()->actions().value(0), frame.Action(ids::ID_APP_EXIT));
    EXPECT_EQ(menus[1]->menu()->actions().value(0), frame.Action(ids::ID_APP_ABOUT));
    EXPECT_EQ(frame.Action(ids::ID_APP_EXIT)->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(frame.Action(ids::ID_APP_ABOUT)->text(), QStringLiteral("&About Kestivo..."));
    EXPECT_FALSE(frame.Action(ids::ID_APP_ABOUT)->toolTip().isEmpty());
    EXPECT_EQ(frame.Action(12345), nullptr);
}

TEST(MainFrame, ExitClosesTheWindow)
{
    CMainFrame frame;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.Action(ids::ID_APP_EXIT)->trigger();
    EXPECT_FALSE(frame.isVisible());
}

TEST(MainFrame, BringForwardRestoresAndActivates)
{
    CMainFrame frame;
    frame.showMinimized();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return other.isActiveWindow(); }, 5000));

    frame.BringForward();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.isActiveWindow(); }, 5000));
    EXPECT_FALSE(frame.isMinimized());
    EXPECT_TRUE(frame.isVisible());
}

TEST(MainFrame, GrabbedItemsLandInTheLibraryUntilItsWindowExists)
{
    CMainFrame frame;
    frame.SetQuiet(true);
    ASSERT_NE(frame.SourcePane(), nullptr);
    EXPECT_TRUE(frame.SourcePane()->Action(ids::ID_SOURCE_OPEN)->isEnabled());
    const std::size_t before = g_SetObj.m_pRootNode->GetClipList().GetCount();
    auto item = std::make_unique<CClipObj>();
    item->SetPath(QStringLiteral("/grabs/a_1.bmp"));
    CClipObj* raw = item.get();
    frame.OnNewClip(std::move(item));
    ASSERT_EQ(g_SetObj.m_pRootNode->GetClipList().GetCount(), before + 1);
    EXPECT_EQ(g_SetObj.m_pRootNode->GetClipList().GetAt(before), raw);

    frame.ReportProblem(QStringLiteral("\"/x.avi\" could not be opened"));
    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("\"/x.avi\" could not be opened"));
}
