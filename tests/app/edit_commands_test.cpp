// Cut, Copy and Paste: each pane's own keys, the Edit menu handing its commands to the pane with
// the focus, and the library's new arrangement in the settings file.
#include "cchildframe.h"
#include "ceditdlg.h"
#include "ceditpane.h"
#include "ckestivoview.h"
#include "cnodetreeview.h"
#include "csourcedlg.h"
#include "csourcepane.h"
#include "mainframe.h"
#include "nodeobj.h"
#include "resource.h"
#include "setobj.h"
#include "settingsfile.h"
#include "testvideos.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace kestivo;

namespace {

// A library of two folders, "From" holding two pictures, in place of the settings' own for the
// test's length.
class EditCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = std::exchange(g_SetObj.m_pRootNode, std::make_unique<CNodeObj>());
        for (const char* name : {"From", "To"}) {
            auto folder = std::make_unique<CNodeObj>();
            folder->SetName(QLatin1String(name));
            g_SetObj.m_pRootNode->AddChild(std::move(folder));
        }
        for (const int width : {40, 60}) {
            const QString path = m_dir.filePath(QStringLiteral("w%1.png").arg(width));
            QImage picture(width, 30, QImage::Format_RGB32);
            picture.fill(Qt::darkCyan);
            ASSERT_TRUE(picture.save(path));
            auto clip = std::make_unique<CClipObj>();
            clip->SetPath(path);
            clip->SetKind(CClipObj::kCaptureDevice);  // the preview only, not the source
            From()->AddClip(std::move(clip));
        }
    }
    void TearDown() override { g_SetObj.m_pRootNode = std::move(m_saved); }

    static CNodeObj* From() { return g_SetObj.m_pRootNode->GetChildList().GetAt(0); }
    static CNodeObj* To() { return g_SetObj.m_pRootNode->GetChildList().GetAt(1); }

    QTemporaryDir m_dir;
    std::unique_ptr<CNodeObj> m_saved;
};

// Focus on w, then the key, as a user presses it there.
void PressIn(QWidget* w, Qt::Key key)
{
    w->setFocus();
    QTest::keyClick(w, key, Qt::ControlModifier);
}

void ChooseFromEditMenu(CMainFrame& frame, int id)
{
    Q_EMIT frame.findChild<QMenu*>(QStringLiteral("EditMenu"))->aboutToShow();
    ASSERT_TRUE(frame.Action(id)->isEnabled()) << id;
    frame.Action(id)->trigger();
}

}  // namespace

// One key, three panes: Ctrl+C copies what the pane with the focus shows, and only that; a
// window-wide Ctrl+C beside them would silence all three.
TEST_F(EditCommands, CtrlCCopiesWhatThePaneWithTheFocusShows)
{
    if (!FfmpegAvailable())
        GTEST_SKIP() << "the ffmpeg tool makes the test video";
    CMainFrame frame;
    frame.SetQuiet(true);
    frame.OnFileNew();
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    CChildFrame* library = frame.LibraryFrame();
    library->TreeView()->setCurrentItem(library->TreeView()->topLevelItem(0)->child(0));
    CKestivoView* grid = library->View();
    grid->SetSelected(1, true);
    QClipboard* clipboard = QGuiApplication::clipboard();

    PressIn(grid, Qt::Key_C);
    EXPECT_EQ(clipboard->mimeData()->urls(), QList<QUrl>({QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("w60.png")))}));

    frame.OnPreviewClip(From()->GetClipList().GetAt(0));
    PressIn(frame.PreviewPane()->Dialog(), Qt::Key_C);
    EXPECT_EQ(clipboard->image().size(), QSize(40, 30));
    EXPECT_FALSE(clipboard->mimeData()->hasUrls());

    // The frame on screen as wide as it is shown (pixels twice as wide as high), not its stored 192 x 144.
    const TestVideo wide{"wide.avi", 10, {"-c:v", "mpeg4"}, QStringLiteral(",setsar=2")};
    CSourceDlg* source = frame.SourcePane()->Dialog();
    ASSERT_TRUE(source->LoadVideo(MakeTestVideo(m_dir.path(), wide), 1.0, 3));
    PressIn(source, Qt::Key_C);
    EXPECT_EQ(clipboard->image().size(), QSize(384, 144));
    EXPECT_EQ(ReadFrameNumber(clipboard->image()), 3);

    source->setFocus();
    Q_EMIT frame.findChild<QMenu*>(QStringLiteral("EditMenu"))->aboutToShow();
    EXPECT_FALSE(frame.Action(ids::ID_EDIT_CUT)->isEnabled()) << "the source has nothing to cut";
    EXPECT_TRUE(frame.Action(ids::ID_EDIT_COPY)->isEnabled());
    frame.StopCapture();
}

// Edit > Cut in the grid, Edit > Paste with the other folder selected: the items move, and the
// settings file written afterwards holds them in their new folder.
TEST_F(EditCommands, TheEditMenuMovesItemsAndTheSettingsFileKeepsTheMove)
{
    CMainFrame frame;
    frame.OnFileNew();
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    CChildFrame* library = frame.LibraryFrame();
    QTreeWidgetItem* top = library->TreeView()->topLevelItem(0);
    library->TreeView()->setCurrentItem(top->child(0));
    library->OnSelectAll();

    library->View()->setFocus();
    ChooseFromEditMenu(frame, ids::ID_EDIT_CUT);
    library->TreeView()->setCurrentItem(top->child(1));
    library->TreeView()->setFocus();
    ChooseFromEditMenu(frame, ids::ID_EDIT_PASTE);
    EXPECT_TRUE(From()->GetClipList().IsEmpty());
    EXPECT_EQ(To()->GetClipList().GetCount(), 2u);

    const QString file = m_dir.filePath(QStringLiteral("Options.dat"));
    ASSERT_TRUE(SaveSettings(file, g_SetObj).ok);
    CSetObj saved;
    ASSERT_EQ(LoadSettings(file, saved).status, SettingsLoadStatus::Loaded);
    const CNodeObj& root = *saved.m_pRootNode;
    ASSERT_EQ(root.GetChildList().GetCount(), 2u);
    EXPECT_TRUE(root.GetChildList().GetAt(0)->GetClipList().IsEmpty());
    ASSERT_EQ(root.GetChildList().GetAt(1)->GetClipList().GetCount(), 2u);
    EXPECT_EQ(root.GetChildList().GetAt(1)->GetClipList().GetAt(0)->GetPath(), m_dir.filePath(QStringLiteral("w40.png")));
    frame.StopCapture();
}

TEST_F(EditCommands, TheStatusBarTellsThePreviewsZoomAndPictureSize)
{
    CMainFrame frame;
    frame.SetQuiet(true);
    frame.OnPreviewClip(From()->GetClipList().GetAt(0));
    const QString text = frame.PreviewStatus()->text();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Preview \\d+%   40 \u00D7 30$")).match(text).hasMatch()) << text.toStdString();
    frame.PreviewPane()->Dialog()->ShowOriginalSize();
    EXPECT_EQ(frame.PreviewStatus()->text(), QStringLiteral("Preview 100%   40 \u00D7 30"));
}
