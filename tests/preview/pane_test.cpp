// The preview pane: enable and check rules of its six commands, and the focus and keys going to
// the canvas.
#include "ceditdlg.h"
#include "ceditpane.h"
#include "resource.h"

#include <QAction>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace kestivo::ids;

namespace {

class PreviewPane : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pane.resize(650, 400);
        m_pane.show();
    }

    void Preview()
    {
        CClipObj item;
        item.SetPath(m_dir.filePath(QStringLiteral("shown.png")));
        ASSERT_TRUE(QImage(400, 300, QImage::Format_RGB32).save(item.GetPath()));
        m_pane.Dialog()->ShowClip(item);
    }

    // For each button in toolbar order: '-' disabled, 'e' enabled, 'c' enabled and checked.
    QString States() const
    {
        QString states;
        for (const QAction* action : m_pane.ToolBar()->actions())
            states += action->isSeparator() ? ' ' : action->isChecked() ? 'c' : action->isEnabled() ? 'e' : '-';
        return states;
    }

    QTemporaryDir m_dir;
    CEditPane m_pane;
};

}  // namespace

TEST_F(PreviewPane, CommandsWaitForTheFirstPreviewAndTheZoomMarksFollowTheLastZoom)
{
    EXPECT_EQ(States(), "-- -- --");
    Preview();
    EXPECT_EQ(States(), "ee ee ee");
    m_pane.Action(ID_PREVIEW_ZOOMIN)->trigger();
    m_pane.Action(ID_PREVIEW_ZOOMIN)->trigger();
    EXPECT_EQ(States(), "ce ee ee") << "pressing a checked Zoom In again keeps its mark";
    m_pane.Action(ID_PREVIEW_ZOOMOUT)->trigger();
    EXPECT_EQ(States(), "ec ee ee");
    m_pane.Action(ID_PREVIEW_ORIGINALSIZE)->trigger();
    m_pane.Action(ID_PREVIEW_FITSIZE)->trigger();
    EXPECT_EQ(States(), "ec ee ee");
}

TEST_F(PreviewPane, TheFocusGoesToTheCanvasWhereTheKeysWork)
{
    m_pane.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_pane));
    m_pane.setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_pane.Dialog()->hasFocus(); }, 2000));
    Preview();
    QTest::keyClick(m_pane.Dialog(), Qt::Key_Plus);
    EXPECT_TRUE(m_pane.Dialog()->IsZoomInChecked() && !m_pane.Dialog()->IsFitToWindow());
    QTest::keyClick(m_pane.Dialog(), Qt::Key_F);
    EXPECT_TRUE(m_pane.Dialog()->IsFitToWindow());
}
