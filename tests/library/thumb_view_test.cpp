#include "ckestivoview.h"
#include "library_fixture.h"
#include "messageboxes.h"

#include <QDir>
#include <QScrollBar>
#include <QStyleHints>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

namespace {

class ThumbView : public LibraryFixture {
protected:
    // A view whose viewport is exactly width x height, showing folder.
    void Show(CNodeObj* folder, int width = 600, int height = 450)
    {
        m_view.setFrameShape(QFrame::NoFrame);
        m_view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_view.resize(width, height);
        m_view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_view));
        ASSERT_EQ(m_view.viewport()->size(), QSize(width, height));
        m_view.ShowFolder(folder);
    }
    QPoint CellCentre(int index) const { return m_view.GetItemRect(index).center(); }
    QWidget* Viewport() const { return m_view.viewport(); }
    int Position() const { return m_view.verticalScrollBar()->value(); }
    void Wheel(int delta)
    {
        const QPointF at(100, 100);
        QWheelEvent event(at, Viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Viewport(), &event);
    }

    CKestivoView m_view;
};

TEST_F(ThumbView, ColumnsAndRowsFollowTheClientArea)
{
    AddItems(m_root, 12);
    Show(&m_root, 600, 450);
    EXPECT_EQ(m_view.Columns(), 5);  // (600 - 10) / 106
    EXPECT_EQ(m_view.VisibleRows(), 4);
    EXPECT_EQ(m_view.TotalRows(), 3);
    EXPECT_EQ(m_view.GetItemRect(6), QRect(10 + 106, 10 + 110, 96, 100));

    m_view.resize(100, 450);
    QTest::qWait(0);
    EXPECT_EQ(m_view.Columns(), 1) << "narrower than one cell still holds one column";
    EXPECT_EQ(m_view.TotalRows(), 12);

    CNodeObj empty;
    m_view.ShowFolder(&empty);
    EXPECT_EQ(m_view.TotalRows(), 1);
    EXPECT_EQ(m_view.Current(), -1);
}

TEST_F(ThumbView, HitTestingFindsOnlyTheCells)
{
    AddItems(m_root, 7);
    Show(&m_root, 600, 450);
    EXPECT_EQ(m_view.HitTest(QPoint(10, 10)), 0) << "left and top edges belong to the cell";
    EXPECT_EQ(m_view.HitTest(QPoint(105, 50)), 0);
    EXPECT_EQ(m_view.HitTest(QPoint(106, 50)), -1) << "right edge and gap do not";
    EXPECT_EQ(m_view.HitTest(QPoint(50, 110)), -1);
    EXPECT_EQ(m_view.HitTest(CellCentre(6)), 6);
    EXPECT_EQ(m_view.HitTest(CellCentre(6) + QPoint(106, 0)), -1) << "past the last item";
    EXPECT_EQ(m_view.HitTest(QPoint(5 * 106 + 20, 50)), -1) << "right of the last column";
}

TEST_F(ThumbView, ClicksSelectAsTheModifiersSay)
{
    AddItems(m_root, 6);
    Show(&m_root);
    const QPoint empty(590, 400);

    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ControlModifier, empty);
    EXPECT_EQ(m_view.GetSelectedCount(), 6) << "Control-click on empty space selects everything";
    EXPECT_EQ(m_view.Current(), 0);

    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ControlModifier, CellCentre(3));
    EXPECT_EQ(m_view.GetSelectedCount(), 6) << "Control-click keeps a selected item selected";
    EXPECT_EQ(m_view.Current(), 3);

    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(4));
    EXPECT_EQ(m_view.GetSelectedCount(), 6) << "a press on a selected item keeps the selection for a drag";
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(4));
    EXPECT_EQ(Selection(m_root), std::vector<bool>({false, false, false, false, true, false}));
    EXPECT_EQ(m_view.Current(), 4);

    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, empty);
    EXPECT_EQ(m_view.GetSelectedCount(), 0);
    EXPECT_EQ(m_view.Current(), -1);
    EXPECT_TRUE(m_view.IsBanding());
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, empty);
    EXPECT_FALSE(m_view.IsBanding());

    CNodeObj none;
    m_view.ShowFolder(&none);
    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, empty);
    EXPECT_FALSE(m_view.IsBanding()) << "an empty folder ignores the click";
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, empty);
}

TEST_F(ThumbView, TheBandSelectsExactlyTheCellsItMeets)
{
    AddItems(m_root, 10);  // two rows of five
    Show(&m_root);
    QSignalSpy preview(&m_view, &CKestivoView::previewRequested);
    const QPoint start(5, 5);  // the margin, above and left of item 0
    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(Viewport(), CellCentre(6));
    EXPECT_EQ(Selection(m_root),
              std::vector<bool>({true, true, false, false, false, true, true, false, false, false}));

    QTest::mouseMove(Viewport(), QPoint(50, 8));  // back up into the top margin: no cell met
    EXPECT_EQ(m_view.GetSelectedCount(), 0) << "shrinking the band deselects what it leaves";
    EXPECT_EQ(m_view.Current(), -1);

    QTest::mouseMove(Viewport(), QPoint(10, 50));  // a band of no width meets nothing
    EXPECT_EQ(m_view.GetSelectedCount(), 0);

    QTest::mouseMove(Viewport(), CellCentre(1));
    QTest::mouseMove(Viewport(), CellCentre(0));  // the last change deselects item 1
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(0));
    EXPECT_EQ(m_view.GetSelectedCount(), 1);
    EXPECT_EQ(m_view.Current(), -1) << "selected, yet no item is current";
    EXPECT_FALSE(m_view.IsBanding());
    EXPECT_EQ(preview.count(), 0);
}

TEST_F(ThumbView, DoubleClickAsksForAPreviewOfTheItemUnderThePointer)
{
    AddItems(m_root, 3);
    Show(&m_root);
    QSignalSpy preview(&m_view, &CKestivoView::previewRequested);
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(2));
    QTest::mouseDClick(Viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(2));
    EXPECT_EQ(preview.count(), 1);
    EXPECT_EQ(m_view.Current(), 2);
}

TEST_F(ThumbView, TheWheelAddsItsOwnStepOnlyForWholeNotchesInsideTheRange)
{
    AddItems(m_root, 100);  // 20 rows of five: 2200 pixels
    Show(&m_root);
    const int bottom = m_view.verticalScrollBar()->maximum();
    ASSERT_EQ(bottom, m_view.DocumentHeight() - 450);
    auto wheelFrom = [&](int position, int delta) {
        m_view.verticalScrollBar()->setValue(position);
        Wheel(delta);
        return Position();
    };

    // Without the scroll bar's own lines, the view's step shows alone.
    m_view.verticalScrollBar()->setSingleStep(0);
    EXPECT_EQ(wheelFrom(1000, -120), 1010);
    EXPECT_EQ(m_view.TopRow(), 1010 / CKestivoView::kRowPitch);
    EXPECT_EQ(wheelFrom(1000, 240), 980);
    EXPECT_EQ(wheelFrom(1000, -60), 1000) << "a partial notch has no own step";
    EXPECT_EQ(wheelFrom(10, 120), 10) << "a step that reaches the top is not taken";
    EXPECT_EQ(wheelFrom(20, 120), 10);
    EXPECT_EQ(wheelFrom(bottom - 10, -120), bottom - 10) << "nor one that reaches the bottom";
    EXPECT_EQ(wheelFrom(bottom - 11, -120), bottom - 1);

    m_view.UpdateLayout();
    const int lines = QGuiApplication::styleHints()->wheelScrollLines();
    EXPECT_EQ(wheelFrom(1000, -120), 1000 + 10 + lines * CKestivoView::kRowPitch) << "then the usual lines";
    EXPECT_EQ(m_view.TopRow(), Position() / CKestivoView::kRowPitch);
}

TEST_F(ThumbView, ScrollingGoesByPagesAndShowingAFolderStartsAtTheTop)
{
    AddItems(m_root, 100);
    Show(&m_root);
    m_view.ScrollToItem(47);  // row 9, on the page of rows 8 to 11
    EXPECT_EQ(m_view.TopRow(), 8);
    EXPECT_EQ(Position(), 8 * CKestivoView::kRowPitch);
    EXPECT_TRUE(Viewport()->rect().contains(m_view.GetItemRect(47)));

    m_view.resize(600, 900);  // taller: the top row is kept where the range allows
    QTest::qWait(0);
    EXPECT_EQ(m_view.TopRow(), 8);

    m_view.ShowFolder(&m_root);
    EXPECT_EQ(Position(), 0);
    EXPECT_EQ(m_view.TopRow(), 0);
}

TEST_F(ThumbView, ShowingAFolderPrunesOnlyFilesGoneFromAFolderThatExists)
{
    AddItem(m_root, QStringLiteral("kept.bmp"));
    AddItem(m_root, QStringLiteral("gone.bmp"), false);
    AddItemAt(m_root, QStringLiteral("/unplugged-drive/ImageDir/far.bmp"));
    AddItem(m_root, QStringLiteral("also-gone.bmp"), false);
    ASSERT_TRUE(QDir().mkpath(AddItem(m_root, QStringLiteral("a-folder.bmp"), false)->GetPath()));
    Show(&m_root);
    ASSERT_EQ(m_view.Count(), 2) << "a path that names a directory is no image";
    EXPECT_EQ(m_root.GetClipList().GetAt(0)->GetCaption(), QStringLiteral("kept"));
    EXPECT_EQ(m_root.GetClipList().GetAt(1)->GetCaption(), QStringLiteral("far"))
        << "a missing drive must not empty the library";
}

TEST_F(ThumbView, DeletingImagesAsksAndKeepsFilesShownElsewhere)
{
    CNodeObj* other = AddFolder(m_root, QStringLiteral("other"));
    const QString shared = AddItem(m_root, QStringLiteral("shared.bmp"))->GetPath();
    AddItemAt(*other, shared);
    const QString own = AddItem(m_root, QStringLiteral("own.bmp"))->GetPath();
    AddItem(m_root, QStringLiteral("unselected.bmp"));
    Show(&m_root);
    m_view.SetSelected(0, true);
    m_view.SetSelected(1, true);

    auto answered = AnswerNextBox(QMessageBox::No);
    m_view.DeleteSelected();
    EXPECT_TRUE(answered->seen);
    EXPECT_TRUE(answered->text.startsWith(QStringLiteral("The image files will be deleted.\nAre you sure?\n\n")));
    EXPECT_TRUE(answered->text.contains(QStringLiteral("1 image file of the folder"))) << "the shared file stays";
    EXPECT_EQ(m_view.Count(), 3);
    EXPECT_TRUE(QFile::exists(own));

    AnswerNextBox(QMessageBox::Yes);
    m_view.DeleteSelected();
    ASSERT_EQ(m_view.Count(), 1);
    EXPECT_EQ(m_root.GetClipList().GetAt(0)->GetCaption(), QStringLiteral("unselected"));
    EXPECT_FALSE(QFile::exists(own));
    EXPECT_TRUE(QFile::exists(shared)) << "the other folder still shows it";
    EXPECT_EQ(m_view.Current(), -1);
    EXPECT_EQ(m_view.GetSelectedCount(), 0);
}

TEST_F(ThumbView, PaintingShowsTheSelectedCellOnTheBackground)
{
    AddItems(m_root, 3);
    Show(&m_root);
    m_view.SetBackColor(MakeColorRef(10, 200, 30));
    m_view.SetSelected(1, true);
    const QImage shot = Viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(300, 300), QColor(10, 200, 30));
    EXPECT_NE(shot.pixelColor(CellCentre(1)), QColor(10, 200, 30));
    EXPECT_EQ(shot.pixelColor(m_view.GetItemRect(1).topLeft() - QPoint(2, 2)), QColor(10, 200, 30));
}

TEST_F(ThumbView, RestingOnAnItemShowsItsOwnTooltip)
{
    AddItems(m_root, 2);
    Show(&m_root);
    QHelpEvent help(QEvent::ToolTip, CellCentre(1), Viewport()->mapToGlobal(CellCentre(1)));
    QApplication::sendEvent(Viewport(), &help);
    const QString caption = m_root.GetClipList().GetAt(1)->GetCaption();
    EXPECT_TRUE(QToolTip::text().startsWith(caption + QLatin1Char('\n'))) << QToolTip::text().toStdString();
}

}  // namespace
