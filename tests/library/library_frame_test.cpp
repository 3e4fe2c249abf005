#include "cchildframe.h"
#include "ckestivoview.h"
#include "cliptransfer.h"
#include "cnodetreeview.h"
#include "library_fixture.h"
#include "messageboxes.h"
#include "resource.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDataStream>
#include <QDir>
#include <QMimeData>
#include <QLineEdit>
#include <QMdiArea>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

using namespace kestivo::ids;

namespace {

class LibraryFrame : public LibraryFixture {
protected:
    void SetUp() override { m_root.SetName(QStringLiteral("Image Directory")); }

    // The frame maximised in an MDI area, as the main frame shows it.
    CChildFrame& Open()
    {
        m_frame = new CChildFrame(&m_root);
        m_area.addSubWindow(m_frame);
        m_area.resize(900, 600);
        m_area.show();
        m_frame->showMaximized();
        m_area.activateWindow();
        m_area.setActiveSubWindow(m_frame);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_area));
        // The clicks go through the window to whatever lies under the point: wait until the
        // maximised frame's grid is laid out there.
        EXPECT_TRUE(QTest::qWaitFor([this] {
            QWidget* grid = m_frame->View()->viewport();
            return m_area.window()->childAt(grid->mapTo(m_area.window(), QPoint(60, 60))) == grid;
        }));
        return *m_frame;
    }
    CKestivoView& View() const { return *m_frame->View(); }
    CNodeTreeView& Tree() const { return *m_frame->TreeView(); }
    bool Enabled(int id) const { return m_frame->Action(id)->isEnabled(); }
    QTreeWidgetItem* ItemOf(const CNodeObj* folder) const
    {
        for (QTreeWidgetItemIterator it(&Tree()); *it; ++it) {
            if (CNodeTreeView::FolderOf(*it) == folder)
                return *it;
        }
        return nullptr;
    }
    void Select(const CNodeObj* folder) { Tree().setCurrentItem(ItemOf(folder)); }
    // A drag of data dropped on the folder's item, as the tree receives it; false when refused.
    bool DropOn(const CNodeObj* folder, QMimeData* data, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPoint at = Tree().visualItemRect(ItemOf(folder)).center();
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(Tree().viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(Tree().viewport(), &drop);
        return enter.isAccepted() && drop.isAccepted();
    }
    static QStringList Paths(const CNodeObj& folder)
    {
        QStringList paths;
        for (const CClipObj* clip : folder.GetClipList())
            paths.append(clip->GetPath());
        return paths;
    }
    void RightClick(QWidget* widget, const QPoint& at)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
    }

    QMdiArea m_area;
    CChildFrame* m_frame = nullptr;  // owned by the area
};

TEST_F(LibraryFrame, CommandsFollowTheTreeAndTheSelection)
{
    CNodeObj* trips = AddFolder(m_root, QStringLiteral("Trips"));
    AddItems(*trips, 3);
    Open();
    EXPECT_EQ(m_frame->windowFlags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
    EXPECT_TRUE(m_frame->isMaximized());
    EXPECT_TRUE(Enabled(ID_NEW_FOLDER));
    EXPECT_FALSE(Enabled(ID_DELETE_FOLDER)) << "the root is not deleted";
    EXPECT_FALSE(Enabled(ID_PREVIEW_IMAGE));
    EXPECT_FALSE(Enabled(ID_DELETE_IMAGES));
    EXPECT_FALSE(Enabled(ID_SELECT_ALL)) << "an empty folder has nothing to select";

    Select(trips);
    EXPECT_EQ(View().Folder(), trips);
    EXPECT_TRUE(Enabled(ID_DELETE_FOLDER));
    EXPECT_TRUE(Enabled(ID_SELECT_ALL));
    View().SetSelected(1, true);
    EXPECT_TRUE(Enabled(ID_PREVIEW_IMAGE));
    EXPECT_TRUE(Enabled(ID_DELETE_IMAGES));

    m_frame->Action(ID_SELECT_ALL)->trigger();
    EXPECT_EQ(View().GetSelectedCount(), 3);
    EXPECT_EQ(View().Current(), 2) << "the last one selected is current";
    EXPECT_FALSE(Enabled(ID_SELECT_ALL)) << "all are selected";

    const QList<QAction*> buttons = m_frame->ToolBar()->actions();
    ASSERT_EQ(buttons.size(), 6);
    EXPECT_TRUE(buttons[2]->isSeparator());
    EXPECT_EQ(buttons[0]->statusTip(), QStringLiteral("New Folder"));
    EXPECT_TRUE(buttons[0]->toolTip().startsWith(QStringLiteral("New")));
    EXPECT_EQ(buttons[5]->statusTip(), QStringLiteral("Select all the images"));
}

TEST_F(LibraryFrame, NewFolderGoesUnderTheSelectedFolderReadyForItsName)
{
    CNodeObj* trips = AddFolder(m_root, QStringLiteral("Trips"));
    CNodeObj* june = AddFolder(*trips, QStringLiteral("June"));
    AddFolder(*june, QStringLiteral("Day 1"));
    Open();
    Select(june);
    ItemOf(june)->setExpanded(false);

    m_frame->Action(ID_NEW_FOLDER)->trigger();
    ASSERT_EQ(june->GetChildList().GetCount(), 2u);
    CNodeObj* added = june->GetChildList().GetAt(1);
    EXPECT_EQ(added->GetName(), QStringLiteral("Unkown"));
    EXPECT_EQ(added->GetParent(), june);
    EXPECT_TRUE(ItemOf(june)->isExpanded());
    EXPECT_EQ(ItemOf(june)->child(1), Tree().currentItem());
    EXPECT_EQ(View().Folder(), added) << "the grid shows the new, empty folder";

    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr) << "the name is open for editing";
    editor->setText(QStringLiteral("  "));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(added->GetName(), QStringLiteral("Unkown")) << "a blank name keeps the old one";
}

TEST_F(LibraryFrame, DeleteFolderAsksThenDeletesTheSubtreeAndShowsTheParent)
{
    CNodeObj* trips = AddFolder(m_root, QStringLiteral("Trips"));
    CNodeObj* june = AddFolder(*trips, QStringLiteral("June"));
    const QString top = AddItem(*trips, QStringLiteral("top.bmp"))->GetPath();
    const QString deep = AddItem(*june, QStringLiteral("deep.bmp"))->GetPath();
    const QString kept = AddItem(m_root, QStringLiteral("kept.bmp"))->GetPath();
    Open();
    Select(trips);

    AnswerNextBox(QMessageBox::No);
    m_frame->Action(ID_DELETE_FOLDER)->trigger();
    EXPECT_EQ(m_root.GetChildList().GetCount(), 1u);
    EXPECT_TRUE(QFile::exists(top));

    auto answered = AnswerNextBox(QMessageBox::Yes);
    m_frame->Action(ID_DELETE_FOLDER)->trigger();
    EXPECT_EQ(answered->text, QStringLiteral("The image files will be deleted.\nAre you sure?\n\n2 image files in the "
                                             "folder \"Trips\" and its subfolder. They go to the trash where their "
                                             "disk has one."));
    EXPECT_TRUE(m_root.GetChildList().IsEmpty());
    EXPECT_EQ(Tree().topLevelItem(0)->childCount(), 0) << "the subfolders' items went too";
    EXPECT_FALSE(QFile::exists(top));
    EXPECT_FALSE(QFile::exists(deep));
    EXPECT_TRUE(QFile::exists(kept));
    EXPECT_EQ(View().Folder(), &m_root);
    EXPECT_EQ(View().Count(), 1);

    AnswerNextBox(QMessageBox::Yes);
    m_frame->OnDeleteFolder();  // on the root: asks, then does nothing
    EXPECT_EQ(View().Folder(), &m_root);
}

TEST_F(LibraryFrame, TheFolderMenuOpensOnlyOverTheTree)
{
    CNodeObj* trips = AddFolder(m_root, QStringLiteral("Trips"));
    AddItems(m_root, 2);
    Open();

    RightClick(View().viewport(), QPoint(40, 40));
    RightClick(m_frame->ToolBar(), QPoint(5, 5));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    QStringList shown;  // the menu's name and entries
    QTreeWidgetItem* currentWhenShown = nullptr;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        currentWhenShown = Tree().currentItem();
        if (!menu)
            return;
        shown.append(menu->objectName());
        for (const QAction* action : menu->actions())
            shown.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        menu->close();
    });
    RightClick(Tree().viewport(), Tree().visualItemRect(ItemOf(trips)).center());
    EXPECT_EQ(shown, QStringList({QStringLiteral("FolderMenu"), QStringLiteral("Add Folder"),
                                  QStringLiteral("Delete Folder"), QStringLiteral("-")}));
    EXPECT_EQ(currentWhenShown, ItemOf(trips)) << "the folder under the pointer is selected first";
}

TEST_F(LibraryFrame, AGrabLandsAtTheEndOfTheSelectedFolderSelectedAndInView)
{
    CNodeObj* trips = AddFolder(m_root, QStringLiteral("Trips"));
    AddItems(*trips, 60);  // more pages than the window shows
    Open();
    Select(trips);
    View().SetSelected(0, true);
    View().SetSelected(5, true);

    auto clip = std::make_unique<CClipObj>();
    clip->SetPath(m_dir.filePath(QStringLiteral("new.bmp")));
    CClipObj* raw = clip.get();
    m_frame->AddImage(std::move(clip));
    ASSERT_EQ(trips->GetClipList().GetCount(), 61u);
    EXPECT_EQ(trips->GetClipList().GetAt(60), raw);
    EXPECT_EQ(View().GetSelectedCount(), 1);
    EXPECT_TRUE(raw->IsSelected());
    EXPECT_EQ(View().Current(), 60);
    EXPECT_TRUE(View().viewport()->rect().contains(View().GetItemRect(60)));
    EXPECT_TRUE(m_root.GetClipList().IsEmpty());
}

TEST_F(LibraryFrame, TheImageKeysActOnlyInTheGrid)
{
    CNodeObj* trips = AddFolder(m_root, QStringLiteral("Trips"));
    AddItems(*trips, 3);
    Open();
    Select(trips);
    Tree().setFocus();
    QTest::keyClick(&Tree(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&Tree(), Qt::Key_Delete);
    EXPECT_EQ(View().GetSelectedCount(), 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a Delete in the tree asks nothing";
    EXPECT_EQ(m_root.GetChildList().GetCount(), 1u);

    View().setFocus();
    QTest::keyClick(View().viewport(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(View().GetSelectedCount(), 3);
    auto answered = AnswerNextBox(QMessageBox::No);
    QTest::keyClick(View().viewport(), Qt::Key_Delete);
    EXPECT_EQ(answered->name, QStringLiteral("DeleteFilesQuestion"));
}

TEST_F(LibraryFrame, DeleteImagesDeletesWhatWasSelectedWhenAsked)
{
    AddItems(m_root, 2);
    Open();
    View().SetSelected(0, true);
    const QString chosen = m_root.GetClipList().GetAt(0)->GetPath();
    AnswerNextBox(QMessageBox::Yes, [this] {
        auto grab = std::make_unique<CClipObj>();  // lands, selected, while the question waits
        grab->SetPath(m_dir.filePath(QStringLiteral("late.bmp")));
        m_frame->AddImage(std::move(grab));
    });
    m_frame->Action(ID_DELETE_IMAGES)->trigger();
    EXPECT_FALSE(QFile::exists(chosen));
    ASSERT_EQ(View().Count(), 2);
    EXPECT_EQ(m_root.GetClipList().GetAt(1)->GetPath(), m_dir.filePath(QStringLiteral("late.bmp")));
}

// The files go to the trash of the user's data folder, from which the desktop can restore them.
TEST_F(LibraryFrame, DeletedImagesGoToTheTrash)
{
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    // The home trash takes files of the home's own file system: both in one temporary folder.
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", oldHome);
        qputenv("XDG_DATA_HOME", oldData);
    });
    ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral("data"))));
    const QStringList names = {QStringLiteral("walk_1.bmp"), QStringLiteral("walk_2.bmp"), QStringLiteral("kept.bmp")};
    for (const QString& name : names) {
        QFile file(home.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        AddItemAt(m_root, file.fileName());
    }
    Open();
    View().SetSelected(0, true);
    View().SetSelected(1, true);
    auto answered = AnswerNextBox(QMessageBox::Yes);
    m_frame->Action(ID_DELETE_IMAGES)->trigger();

    EXPECT_TRUE(answered->text.contains(QStringLiteral("2 image files of the folder \"Image Directory\".")))
        << answered->text.toStdString();
    EXPECT_EQ(Paths(m_root), QStringList{home.filePath(names[2])});
    for (const QString& name : names.mid(0, 2)) {
        EXPECT_FALSE(QFile::exists(home.filePath(name)));
        EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("data/Trash/files/") + name))) << name.toStdString();
    }
}

TEST_F(LibraryFrame, NewFolderStopsAtTheDepthTheSettingsFileCanHold)
{
    CNodeObj* deepest = &m_root;
    for (int depth = 0; depth < CNodeObj::kMaxDepth; ++depth)
        deepest = AddFolder(*deepest, QStringLiteral("d"));
    Open();
    Select(deepest->GetParent());
    EXPECT_TRUE(Enabled(ID_NEW_FOLDER));
    Select(deepest);
    EXPECT_FALSE(Enabled(ID_NEW_FOLDER));
    m_frame->OnNewFolder();
    EXPECT_TRUE(deepest->GetChildList().IsEmpty());
}

TEST_F(LibraryFrame, PreviewImageSendsTheCurrentItemOnlyWhenItsFileExists)
{
    CClipObj* present = AddItem(m_root, QStringLiteral("present.bmp"));
    CClipObj* vanishing = AddItem(m_root, QStringLiteral("vanishing.bmp"));
    Open();
    std::vector<CClipObj*> preview;
    QObject::connect(m_frame, &CChildFrame::previewClip, [&](CClipObj* clip) { preview.push_back(clip); });

    const QPoint first = View().GetItemRect(0).center();
    QTest::mouseClick(View().viewport(), Qt::LeftButton, Qt::NoModifier, first);  // a double-click's first click
    QTest::mouseDClick(View().viewport(), Qt::LeftButton, Qt::NoModifier, first);
    EXPECT_EQ(preview, std::vector<CClipObj*>({present}));

    View().DeselectAll();
    View().SetSelected(1, true);
    QFile::remove(vanishing->GetPath());
    auto answered = AnswerNextBox(QMessageBox::Ok);
    m_frame->Action(ID_PREVIEW_IMAGE)->trigger();
    EXPECT_EQ(preview.size(), 1u);
    EXPECT_EQ(answered->text, vanishing->GetPath() + QStringLiteral(" don't exist"));
    EXPECT_EQ(View().Count(), 2) << "the item stays until its folder is shown again";

    View().DeselectAll();  // selected items but none current: nothing to preview
    m_frame->OnPreviewImage();
    EXPECT_EQ(preview.size(), 1u);
}

// Two of three items go to another folder by each way there is; moved ones leave their folder,
// added ones show in both, and deleting them in one folder keeps the files the other still shows.
TEST_F(LibraryFrame, ItemsMoveOrAreAddedByDragAndByCutCopyPaste)
{
    enum class Way { Drag, ControlDrag, CutPaste, CopyPaste };
    const struct {
        Way way;
        const char* name;
        bool added;
    } cases[] = {{Way::Drag, "drag", false},
                 {Way::ControlDrag, "Ctrl+drag", true},
                 {Way::CutPaste, "Ctrl+X, Ctrl+V", false},
                 {Way::CopyPaste, "Ctrl+C, Ctrl+V", true}};
    std::vector<std::pair<CNodeObj*, CNodeObj*>> folders;
    for (const auto& c : cases) {
        folders.emplace_back(AddFolder(m_root, QStringLiteral("From ") + c.name), AddFolder(m_root, QStringLiteral("To ") + c.name));
        AddItems(*folders.back().first, 3);
        AddItem(*folders.back().second, QStringLiteral("there %1.bmp").arg(c.name));
    }
    Open();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        auto [from, to] = folders[i];
        const QStringList all = Paths(*from);
        Select(from);
        View().SetSelected(0, true);
        View().SetSelected(2, true);
        switch (c.way) {
        case Way::Drag:
        case Way::ControlDrag: {
            const std::unique_ptr<QMimeData> data(View().MakeDragData());
            EXPECT_TRUE(DropOn(to, data.get(), c.way == Way::ControlDrag ? Qt::ControlModifier : Qt::NoModifier));
            break;
        }
        case Way::CutPaste:
        case Way::CopyPaste:
            m_area.activateWindow();  // back from the last question's box, for the keys
            ASSERT_TRUE(QTest::qWaitForWindowActive(&m_area));
            View().setFocus();
            QTest::keyClick(View().viewport(), c.way == Way::CutPaste ? Qt::Key_X : Qt::Key_C, Qt::ControlModifier);
            EXPECT_EQ(View().IsCut(from->GetClipList().GetAt(0)), c.way == Way::CutPaste) << c.name;
            EXPECT_FALSE(Enabled(ID_EDIT_PASTE)) << c.name << ": not into the folder they are in";
            Select(to);
            EXPECT_TRUE(Enabled(ID_EDIT_PASTE)) << c.name;
            Tree().setFocus();
            QTest::keyClick(Tree().viewport(), Qt::Key_V, Qt::ControlModifier);
            EXPECT_EQ(View().GetSelectedCount(), 2) << c.name << ": the arrivals are selected";
            break;
        }
        const QStringList moved{all[0], all[2]};
        EXPECT_EQ(Paths(*to).mid(1), moved) << c.name;
        EXPECT_EQ(Paths(*from), c.added ? all : QStringList{all[1]}) << c.name;

        Select(to);
        m_frame->OnSelectAll();
        AnswerNextBox(QMessageBox::Yes);
        m_frame->OnDeleteImages();
        EXPECT_EQ(Paths(*to), QStringList()) << c.name;
        for (const QString& path : moved)
            EXPECT_EQ(QFile::exists(path), c.added) << c.name << ": a file another folder shows stays";
    }
}

// Drag data and the clipboard name items by address; a drop must act only on items still where
// the data says, and never on data another process made.
TEST_F(LibraryFrame, ADropMovesOnlyWhatItsDataStillNames)
{
    CNodeObj* from = AddFolder(m_root, QStringLiteral("From"));
    CNodeObj* to = AddFolder(m_root, QStringLiteral("To"));
    AddItems(*from, 3);
    Open();
    Select(from);
    m_frame->OnSelectAll();
    const std::unique_ptr<QMimeData> data(View().MakeDragData());
    const QStringList all = Paths(*from);

    QByteArray foreign = data->data(QLatin1String(kClipItemsMimeType));
    QDataStream(&foreign, QIODevice::ReadWrite) << quint64(QCoreApplication::applicationPid() + 1);
    QMimeData other;
    other.setData(QLatin1String(kClipItemsMimeType), foreign);
    DropOn(to, &other);
    EXPECT_TRUE(to->GetClipList().IsEmpty()) << "another process's items";

    from->GetClipList().DeleteAt(1);  // deleted since the drag began
    AddItem(*from, QStringLiteral("later.bmp"));
    EXPECT_TRUE(DropOn(from, data.get()));
    EXPECT_EQ(from->GetClipList().GetCount(), 3u) << "a drop on the items' own folder changes nothing";
    EXPECT_TRUE(DropOn(to, data.get()));
    EXPECT_EQ(Paths(*to), QStringList({all[0], all[2]}));
    EXPECT_EQ(View().Count(), 1) << "the grid no longer shows what left";
}

// Other programs get files: the drag their addresses, Copy also the picture of a single image.
TEST_F(LibraryFrame, DragAndCopyCarryTheFilesToOtherPrograms)
{
    const QString picture = m_dir.filePath(QStringLiteral("red.png"));
    QImage red(32, 24, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(picture));
    AddItemAt(m_root, picture);
    AddItem(m_root, QStringLiteral("second.bmp"));
    Open();
    m_frame->OnSelectAll();
    const std::unique_ptr<QMimeData> drag(View().MakeDragData());
    EXPECT_EQ(drag->urls(), QList<QUrl>({QUrl::fromLocalFile(picture), QUrl::fromLocalFile(m_dir.filePath("second.bmp"))}));
    EXPECT_TRUE(drag->hasFormat(QStringLiteral("text/uri-list")));

    View().DeselectAll();
    View().SetSelected(0, true);
    View().setFocus();
    QTest::keyClick(View().viewport(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* held = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->urls(), QList<QUrl>({QUrl::fromLocalFile(picture)}));
    EXPECT_EQ(qvariant_cast<QImage>(held->imageData()).size(), QSize(32, 24));
}

}  // namespace
