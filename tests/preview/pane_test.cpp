// The preview pane: its six commands in order, their enable and check rules, the keys, and the
// focus handed to the canvas.
#include "ceditdlg.h"
#include "ceditpane.h"
#include "clipobj.h"
#include "resource.h"

#include <QAction>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace kestivo::ids;

namespace {

const int kCommands[] = {ID_PREVIEW_ZOOMIN, ID_PREVIEW_ZOOMOUT, ID_PREVIEW_ORIGINALSIZE,
                         ID_PREVIEW_FITSIZE, ID_PREVIEW_JUMP, ID_PREVIEW_EDIT};

class PreviewPane : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pane.resize(650, 400);
        m_pane.show();
    }

    void Preview()
    {
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(Qt::gray);
        const QString path = m_dir.filePath(QStringLiteral("shown.png"));
        ASSERT_TRUE(image.save(path));
        CClipObj item;
        item.SetPath(path);
        m_pane.Dialog()->ShowClip(item);
    }

    std::vector<int> Enabled() const
    {
        std::vector<int> ids;
        for (const int id : kCommands) {
            if (m_pane.Action(id)->isEnabled())
                ids.push_back(id);
        }
        return ids;
    }

    std::pair<bool, bool> ZoomChecks() const
    {
        return {m_pane.Action(ID_PREVIEW_ZOOMIN)->isChecked(), m_pane.Action(ID_PREVIEW_ZOOMOUT)->isChecked()};
    }

    QTemporaryDir m_dir;
    CEditPane m_pane;
};

}  // namespace

TEST_F(PreviewPane, CarriesSixCommandsInTheirOrderWithPromptsAndTips)
{
    EXPECT_EQ(m_pane.windowTitle(), QStringLiteral("Preview Pane"));
    QStringList tips, prompts;
    int separators = 0;
    for (QAction* action : m_pane.ToolBar()->actions()) {
        if (action->isSeparator()) {
            ++separators;
            continue;
        }
        tips << action->toolTip();
        prompts << action->statusTip();
    }
    EXPECT_EQ(separators, 2);
    EXPECT_EQ(prompts, (QStringList{"Zoom In", "Zoom Out", "Original Size", "Fit Size", "Jump to explorer",
                                    "Jump to mspaint"}));
    EXPECT_EQ(tips, (QStringList{"Zoom In (+)", "Zoom Out (-)", "Original Size (1)", "Fit Size (F)", "Jump (J)",
                                 "Edit (E)"}));
    EXPECT_EQ(m_pane.ToolBar()->actions().indexOf(m_pane.Action(ID_PREVIEW_FITSIZE)), 4);
}

TEST_F(PreviewPane, CommandsWaitForTheFirstPreviewAndTheZoomMarksFollowTheLastZoom)
{
    EXPECT_TRUE(Enabled().empty()) << "nothing shown yet";
    EXPECT_EQ(ZoomChecks(), std::pair(false, false));

    Preview();
    EXPECT_EQ(Enabled(), std::vector<int>(std::begin(kCommands), std::end(kCommands)));
    EXPECT_EQ(ZoomChecks(), std::pair(false, false));

    m_pane.Action(ID_PREVIEW_ZOOMIN)->trigger();
    EXPECT_EQ(ZoomChecks(), std::pair(true, false));
    m_pane.Action(ID_PREVIEW_ZOOMIN)->trigger();
    EXPECT_EQ(ZoomChecks(), std::pair(true, false)) << "pressing a checked Zoom In again keeps its mark";
    EXPECT_GT(m_pane.Dialog()->Zoom(), 1.2);

    m_pane.Action(ID_PREVIEW_ZOOMOUT)->trigger();
    EXPECT_EQ(ZoomChecks(), std::pair(false, true));
    m_pane.Action(ID_PREVIEW_ORIGINALSIZE)->trigger();
    m_pane.Action(ID_PREVIEW_FITSIZE)->trigger();
    EXPECT_EQ(ZoomChecks(), std::pair(false, true)) << "Original Size and Fit Size leave the marks";
    EXPECT_TRUE(m_pane.Dialog()->IsFitToWindow());
}

TEST_F(PreviewPane, TheFocusGoesToTheCanvasWhereTheKeysWork)
{
    m_pane.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_pane));
    m_pane.setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_pane.Dialog()->hasFocus(); }, 2000));

    Preview();
    QTest::keyClick(m_pane.Dialog(), Qt::Key_Plus);
    EXPECT_TRUE(m_pane.Dialog()->IsZoomInChecked());
    EXPECT_FALSE(m_pane.Dialog()->IsFitToWindow());
    QTest::keyClick(m_pane.Dialog(), Qt::Key_F);
    EXPECT_TRUE(m_pane.Dialog()->IsFitToWindow());
}
