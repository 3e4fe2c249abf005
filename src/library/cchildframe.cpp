#include "cchildframe.h"

#include "ckestivodoc.h"
#include "ckestivoview.h"
#include "cnodetreeview.h"
#include "commandaction.h"
#include "librarylog.h"
#include "libraryprompts.h"
#include "nodeobj.h"
#include "resource.h"
#include "systeminfo.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

using namespace kestivo;

CChildFrame::CChildFrame(CNodeObj* root, QWidget* parent)
    : QMdiSubWindow(parent), m_pDocument(std::make_unique<CKestivoDoc>()), m_pRoot(root)
{
    setObjectName(QStringLiteral("LibraryFrame"));
    // Maximised with a sizing border only: no caption, no system menu, nothing to close it by
    // accident.
    setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint);
    setSystemMenu(nullptr);
    setWindowTitle(QString::fromLatin1(text::kListView));
    m_pDocument->OnNewDocument();

    auto* body = new QWidget(this);
    m_wndToolBar = new QToolBar(body);
    m_wndSplitter = new QSplitter(Qt::Horizontal, body);
    m_wndSplitter->setObjectName(QStringLiteral("LibrarySplitter"));
    m_wndSplitter->setChildrenCollapsible(false);
    m_pTree = new CNodeTreeView(m_wndSplitter);
    m_pView = new CKestivoView(m_wndSplitter);
    m_wndSplitter->setStretchFactor(1, 1);
    m_wndSplitter->setSizes({150, 1000});
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_wndToolBar);
    layout->addWidget(m_wndSplitter, 1);
    setWidget(body);
    setFocusProxy(m_pView);
    // Their arrows, Home and End move through folders and grabs, not through the video.
    KeepKeysInWidget(m_pTree, {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End,
                               Qt::Key_PageUp, Qt::Key_PageDown});
    KeepKeysInWidget(m_pView, {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End});
    CreateToolBar();
    CreateClipboardCommands();
    setAccessibleName(tr("Image library"));
    setAccessibleDescription(tr("The image library: its folders and the grabs of the selected folder"));
    m_pTree->setAccessibleName(tr("Folders"));
    m_pTree->setAccessibleDescription(tr("The library's folders: grabs go to the selected one; F2 renames it"));
    m_pView->setAccessibleName(tr("Images"));
    m_pView->setAccessibleDescription(
        tr("The grabs of the selected folder: Enter previews the current one, Delete deletes the selected ones"));

    connect(m_pTree, &CNodeTreeView::folderSelected, m_pView, &CKestivoView::ShowFolder);
    connect(m_pTree, &CNodeTreeView::folderSelected, this, &CChildFrame::UpdateCommands);
    connect(m_pView, &CKestivoView::selectionChanged, this, &CChildFrame::UpdateImageCommands);
    connect(m_pView, &CKestivoView::previewRequested, this, &CChildFrame::OnPreviewImage);
    connect(m_pTree, &CNodeTreeView::clipsDropped, this, [this](const QMimeData* data, CNodeObj* folder, bool add) {
        Transfer(ReadClipMimeData(data, *m_pRoot), folder, add ? ClipTransfer::Add : ClipTransfer::Move);
    });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CChildFrame::UpdateClipboardState);
    connect(m_pView, &CKestivoView::itemsRemoved, this, &CChildFrame::contentsChanged);
    m_pTree->Build(root);  // selects the root, which the grid then shows
    UpdateCommands();
}

CChildFrame::~CChildFrame() = default;

void CChildFrame::SetBackColor(ColorRef color)
{
    m_pTree->SetBackColor(color);
    m_pView->SetBackColor(color);
}

void CChildFrame::CreateToolBar()
{
    m_wndToolBar->setObjectName(QStringLiteral("LibraryToolBar"));
    m_wndToolBar->setWindowTitle(QString::fromLatin1(text::kListView));
    m_wndToolBar->setIconSize(QSize(20, 20));
    m_wndToolBar->setMovable(false);
    m_wndToolBar->setFloatable(false);
    m_wndToolBar->setAccessibleName(tr("Library commands"));
    NameToolBarButtons(m_wndToolBar, true);  // Delete Folder has no key

    AddCommand(ids::ID_NEW_FOLDER, "newfolder", tr("New Folder"), tr("New"), Qt::CTRL | Qt::SHIFT | Qt::Key_N,
               &CChildFrame::OnNewFolder);
    // No key: a Delete meant for the images must never reach a whole folder.
    AddCommand(ids::ID_DELETE_FOLDER, "deletefolder", tr("Delete Folder"), tr("Delete"), {}, &CChildFrame::OnDeleteFolder);
    m_wndToolBar->addSeparator();
    AddCommand(ids::ID_PREVIEW_IMAGE, "preview", tr("Preview Image"), tr("Preview"), {}, &CChildFrame::OnPreviewImage)
        ->setToolTip(tr("Preview (Enter, or double-click the image)"));
    QAction* deleteImages = AddCommand(ids::ID_DELETE_IMAGES, "deleteimages", tr("Delete Images"), tr("Delete"),
                                       QKeySequence::Delete, &CChildFrame::OnDeleteImages);
    QAction* selectAll = AddCommand(ids::ID_SELECT_ALL, "selectall", tr("Select all the images"), tr("Select All"),
                                    QKeySequence::SelectAll, &CChildFrame::OnSelectAll);

    // The keys that act on images act where the images are: in the grid, with its focus.
    for (QAction* action : {deleteImages, selectAll}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        m_pView->addAction(action);
    }
}

// Not on the toolbar: the Edit menu offers them. Their keys act anywhere in the window, so that
// Ctrl+V pastes into the folder just selected in the tree; the tree's name editor keeps its own
// Ctrl+C and Ctrl+V, as a line editor takes the standard keys before any shortcut. Only the first
// key of each: the platform's others include Shift+Del, one slip away from Delete Images.
void CChildFrame::CreateClipboardCommands()
{
    const auto add = [this](int id, const QString& prompt, const QString& tip, QKeySequence::StandardKey key,
                            void (CChildFrame::*handler)()) {
        QAction* action = MakeCommandAction(this, id, "", prompt, tip, {QKeySequence(key)});
        connect(action, &QAction::triggered, this, handler);
        widget()->addAction(action);
        m_actions.insert(id, action);
    };
    add(ids::ID_EDIT_CUT, tr("Cut the selected images, to paste them into another folder"), tr("Cut"),
        QKeySequence::Cut, &CChildFrame::OnCut);
    add(ids::ID_EDIT_COPY, tr("Copy the selected images: their files for other programs, or to add them to another "
                              "folder as well"),
        tr("Copy"), QKeySequence::Copy, &CChildFrame::OnCopy);
    add(ids::ID_EDIT_PASTE, tr("Move the cut images, or add the copied ones, to the selected folder"), tr("Paste"),
        QKeySequence::Paste, &CChildFrame::OnPaste);
}

QAction* CChildFrame::AddCommand(int id, const char* icon, const QString& prompt, const QString& tip,
                                 const QKeySequence& key, void (CChildFrame::*handler)())
{
    QAction* action = MakeCommandAction(this, id, icon, prompt, tip, key.isEmpty() ? QList<QKeySequence>{} : QList{key});
    connect(action, &QAction::triggered, this, handler);
    m_wndToolBar->addAction(action);
    widget()->addAction(action);
    m_actions.insert(id, action);
    return action;
}

void CChildFrame::UpdateCommands()
{
    UpdateFolderCommands();
    UpdateImageCommands();
}

void CChildFrame::UpdateFolderCommands()
{
    const QTreeWidgetItem* selected = m_pTree->currentItem();
    // As deep as the settings file may nest folders, so that what is saved can be read again.
    const CNodeObj* folder = CNodeTreeView::FolderOf(selected);
    Action(ids::ID_NEW_FOLDER)->setEnabled(folder && folder->Depth() < CNodeObj::kMaxDepth);
    Action(ids::ID_DELETE_FOLDER)->setEnabled(selected && selected->parent());
    UpdateClipboardState();
}

// Runs at every change of selection (once per item of a band or Select All): O(1).
void CChildFrame::UpdateImageCommands()
{
    const int selectedImages = m_pView->GetSelectedCount();
    Action(ids::ID_PREVIEW_IMAGE)->setEnabled(selectedImages > 0);
    Action(ids::ID_DELETE_IMAGES)->setEnabled(selectedImages > 0);
    Action(ids::ID_SELECT_ALL)->setEnabled(m_pView->Count() != selectedImages);
    Action(ids::ID_EDIT_CUT)->setEnabled(selectedImages > 0);
    Action(ids::ID_EDIT_COPY)->setEnabled(selectedImages > 0);
}

// Runs when the clipboard or the folder changes, not per selection change: reading the clipboard
// may ask the display server.
void CChildFrame::UpdateClipboardState()
{
    const ClipSelection held = HeldClips();
    QSet<const CClipObj*> cut;
    if (held.cut)
        cut = QSet<const CClipObj*>(held.clips.cbegin(), held.clips.cend());
    m_pView->SetCutClips(std::move(cut));
    const CNodeObj* target = m_pTree->SelectedFolder();
    Action(ids::ID_EDIT_PASTE)->setEnabled(!held.IsEmpty() && target && target != held.folder);
}

ClipSelection CChildFrame::HeldClips() const
{
    if (!m_clipboardData)
        return {};
    return ReadClipMimeData(m_clipboardData, *m_pRoot);
}

void CChildFrame::PutOnClipboard(bool cut)
{
    ClipSelection selection = SelectedClips(m_pView->Folder());
    if (selection.IsEmpty())
        return;
    selection.cut = cut;
    QMimeData* data = MakeClipMimeData(selection, !cut);
    QGuiApplication::clipboard()->setMimeData(data);
    m_clipboardData = data;
    UpdateClipboardState();
    qCDebug(lcLibrary) << (cut ? "cut" : "copied") << selection.clips.size() << "items";
}

void CChildFrame::OnCut()
{
    PutOnClipboard(true);
}

void CChildFrame::OnCopy()
{
    PutOnClipboard(false);
}

void CChildFrame::OnPaste()
{
    const ClipSelection held = HeldClips();
    CNodeObj* target = m_pTree->SelectedFolder();
    if (held.IsEmpty() || !target || target == held.folder)
        return;
    Transfer(held, target, held.cut ? ClipTransfer::Move : ClipTransfer::Add);
    // Cut items are moved once; the clipboard would name them in their new folder no more.
    if (held.cut) {
        QGuiApplication::clipboard()->clear();
        UpdateClipboardState();
    }
}

void CChildFrame::Transfer(const ClipSelection& selection, CNodeObj* target, ClipTransfer how)
{
    if (selection.IsEmpty() || !target)
        return;
    const std::vector<CClipObj*> arrived = TransferClips(selection, *target, how);
    qCInfo(lcLibrary).nospace() << (how == ClipTransfer::Move ? "moved " : "added ") << arrived.size() << " of "
                                << selection.clips.size() << " items from " << selection.folder->GetName() << " to "
                                << target->GetName();
    m_pView->ItemsChanged();
    if (m_pView->Folder() == target && !arrived.empty()) {
        m_pView->DeselectAll();
        for (int i = m_pView->Count() - int(arrived.size()); i < m_pView->Count(); ++i)
            m_pView->SetSelected(i, true);
        m_pView->ScrollToItem(m_pView->Count() - 1);
    }
    UpdateClipboardState();
    if (how == ClipTransfer::Move && !arrived.empty())
        Q_EMIT contentsChanged();  // the folder that holds a frame may have changed
}

void CChildFrame::OnNewFolder()
{
    QTreeWidgetItem* parentItem = m_pTree->currentItem();
    CNodeObj* parent = CNodeTreeView::FolderOf(parentItem);
    if (!parent || parent->Depth() >= CNodeObj::kMaxDepth)
        return;
    auto folder = std::make_unique<CNodeObj>();
    folder->SetName(QString::fromLatin1(text::kNewFolderName));
    CNodeObj* added = parent->AddChild(std::move(folder));
    if (CLibraryObserver* observer = parent->Observer())
        observer->FolderAdded(*added);
    QTreeWidgetItem* item = m_pTree->InsertNodeItems(parentItem, added);
    m_pTree->setCurrentItem(item);
    m_pTree->setFocus();
    m_pTree->editItem(item);
    qCDebug(lcLibrary) << "new folder under" << parent->GetName();
}

// The tree moves to the parent folder, and the grid with it, before the folder's items are
// destroyed: nothing may show them afterwards.
void CChildFrame::OnDeleteFolder()
{
    QTreeWidgetItem* item = m_pTree->currentItem();
    CNodeObj* folder = CNodeTreeView::FolderOf(item);
    if (!folder)
        return;
    QSet<const CClipObj*> held;
    folder->CollectClips(held);
    const int files = int(folder->Root()->FilesOnlyShownBy(held).size());
    if (!AskToDeleteFiles(this, files, folder->GetName(), folder->CountSubfolders()))
        return;
    CNodeObj* parent = folder->GetParent();
    if (!parent || !item->parent())
        return;
    const std::size_t index = folder->Address().back();
    m_pTree->setCurrentItem(item->parent());
    delete item;
    parent->RemoveChild(folder);
    if (CLibraryObserver* observer = parent->Observer())
        observer->FolderRemoved(*parent, index);
    UpdateCommands();
    Q_EMIT contentsChanged();
}

void CChildFrame::OnPreviewImage()
{
    const int current = m_pView->Current();
    if (current < 0 || !m_pView->ClipList())
        return;
    CClipObj* clip = m_pView->ClipList()->GetAt(std::size_t(current));
    if (!clip)
        return;
    if (g_ExtSysInfo.IsExistFile(clip->GetPath()))
        Q_EMIT previewClip(clip);
    else
        ReportMissingFile(this, clip->GetPath());
}

void CChildFrame::OnDeleteImages()
{
    m_pView->DeleteSelected();
    UpdateClipboardState();
}

void CChildFrame::OnSelectAll()
{
    for (int i = 0; i < m_pView->Count(); ++i)
        m_pView->SetSelected(i, true);
}

void CChildFrame::AddImage(std::unique_ptr<CClipObj> clip)
{
    CNodeObj* folder = m_pTree->SelectedFolder();
    if (!clip || !folder)
        return;
    m_pView->DeselectAll();
    const QString path = clip->GetPath();
    clip->SetSelected(false);  // the grid keeps count of its selection; it selects the item itself
    folder->AddNewClip(std::move(clip));  // the selected folder is the one the grid shows
    m_pView->SetSelected(m_pView->Count() - 1, true);
    m_pView->UpdateLayout();
    if (m_pView->Current() >= 0)
        m_pView->ScrollToItem(m_pView->Current());
    const QRect cell = m_pView->GetItemRect(m_pView->Current());
    qCDebug(lcLibrary).nospace() << "added " << path << " to " << folder->GetName() << " as item "
                                 << m_pView->Current() << "; cell centre on screen "
                                 << m_pView->viewport()->mapToGlobal(cell.center());
}

// A right-click on a folder selects it and offers the folder commands; anywhere else in the
// window (the grid, the toolbar) there is no menu.
void CChildFrame::contextMenuEvent(QContextMenuEvent* event)
{
    QWidget* treeArea = m_pTree->viewport();
    const QPoint inTree = treeArea->mapFromGlobal(event->globalPos());
    // The menu key gives the pointer's place, wherever it is: what counts then is the focus.
    const bool overTree = event->reason() == QContextMenuEvent::Mouse ? treeArea->rect().contains(inTree)
                                                                      : m_pTree->hasFocus();
    if (!overTree)
        return;
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        if (QTreeWidgetItem* item = m_pTree->itemAt(inTree))
            m_pTree->setCurrentItem(item);
    } else if (QTreeWidgetItem* item = m_pTree->currentItem()) {
        at = treeArea->mapToGlobal(m_pTree->visualItemRect(item).center());
    }
    m_pTree->setFocus();
    UpdateCommands();

    QMenu menu(tr("Folder"), this);
    menu.setObjectName(QStringLiteral("FolderMenu"));
    QAction* add = menu.addAction(tr("Add Folder"), Action(ids::ID_NEW_FOLDER), &QAction::trigger);
    QAction* remove = menu.addAction(tr("Delete Folder"), Action(ids::ID_DELETE_FOLDER), &QAction::trigger);
    remove->setEnabled(Action(ids::ID_DELETE_FOLDER)->isEnabled());
    add->setIcon(Action(ids::ID_NEW_FOLDER)->icon());
    remove->setIcon(Action(ids::ID_DELETE_FOLDER)->icon());
    menu.addSeparator();
    menu.exec(at);
}
