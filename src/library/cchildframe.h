// The library window: an MDI child, maximised and without caption, holding the library toolbar
// above a splitter of the folder tree and the thumbnail grid. It carries the library's commands,
// takes in every new grab, and moves and adds items between folders (drops on the tree, Cut, Copy
// and Paste).
#pragma once

#include "cliptransfer.h"
#include "colorref.h"

#include <QHash>
#include <QMdiSubWindow>
#include <QPointer>
#include <memory>

class CClipObj;
class CKestivoDoc;
class CKestivoView;
class CNodeObj;
class CNodeTreeView;
class QAction;
class QKeySequence;
class QMimeData;
class QSplitter;
class QToolBar;

// User-interface thread only. The folders and items belong to the library (the settings object);
// the frame shows and edits them without owning them.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    // root: the library's top folder, which must outlive the frame.
    explicit CChildFrame(CNodeObj* root, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CNodeTreeView* TreeView() const { return m_pTree; }
    CKestivoView* View() const { return m_pView; }
    QToolBar* ToolBar() const { return m_wndToolBar; }
    // The action of a command id (kestivo::ids), or nullptr.
    QAction* Action(int commandId) const { return m_actions.value(commandId, nullptr); }
    void SetBackColor(ColorRef color);

    // A grab's new item joins the end of the selected folder, selected alone and scrolled to.
    void AddImage(std::unique_ptr<CClipObj> clip);

    void OnNewFolder();
    void OnDeleteFolder();
    void OnPreviewImage();
    void OnDeleteImages();
    void OnSelectAll();
    // Cut and Copy put the selected items on the clipboard (their files for other programs too);
    // Paste moves the cut ones, or adds the copied ones, to the folder selected in the tree.
    void OnCut();
    void OnCopy();
    void OnPaste();
    // Sets every command's enabled state from the tree, the grid and the clipboard.
    void UpdateCommands();

Q_SIGNALS:
    // Preview Image (or a double-click) on an item whose file exists; the library keeps the item.
    void previewClip(CClipObj* clip);
    // Items or folders left the library, or items moved to another folder (added ones come through
    // AddImage, which the caller knows of).
    void contentsChanged();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QAction* AddCommand(int id, const char* icon, const QString& prompt, const QString& tip, const QKeySequence& key,
                        void (CChildFrame::*handler)());
    void CreateToolBar();
    void CreateClipboardCommands();
    void UpdateFolderCommands();
    void UpdateImageCommands();
    // Marks the cut items in the grid and enables Paste, from what the clipboard holds.
    void UpdateClipboardState();
    void PutOnClipboard(bool cut);
    // The library's items on the clipboard, while the clipboard holds what this window put there.
    ClipSelection HeldClips() const;
    // Moves or adds the items to target; the grid shows what changed, the arrivals selected.
    void Transfer(const ClipSelection& selection, CNodeObj* target, ClipTransfer how);

    std::unique_ptr<CKestivoDoc> m_pDocument;
    QToolBar* m_wndToolBar = nullptr;  // children of the frame's widget
    QSplitter* m_wndSplitter = nullptr;
    CNodeTreeView* m_pTree = nullptr;
    CKestivoView* m_pView = nullptr;
    QHash<int, QAction*> m_actions;
    CNodeObj* m_pRoot = nullptr;
    // The data this window put on the clipboard; the clipboard deletes it when anything replaces
    // it (another program too), which clears the pointer.
    QPointer<QMimeData> m_clipboardData;
};
