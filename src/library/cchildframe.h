// The library window: an MDI child, maximised and without caption, holding the library toolbar
// above a splitter of the folder tree and the thumbnail grid. It carries the library's commands
// and takes in every new grab.
#pragma once

#include "colorref.h"

#include <QHash>
#include <QMdiSubWindow>
#include <memory>

class CClipObj;
class CKestivoDoc;
class CKestivoView;
class CNodeObj;
class CNodeTreeView;
class QAction;
class QKeySequence;
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
    // Sets every command's enabled state from the tree and the grid.
    void UpdateCommands();

Q_SIGNALS:
    // Preview Image (or a double-click) on an item whose file exists; the library keeps the item.
    void previewClip(CClipObj* clip);
    // Items or folders left the library (added ones come through AddImage, which the caller knows of).
    void contentsChanged();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QAction* AddCommand(int id, const char* icon, const QString& prompt, const QString& tip, const QKeySequence& key,
                        void (CChildFrame::*handler)());
    void CreateToolBar();
    void UpdateFolderCommands();
    void UpdateImageCommands();

    std::unique_ptr<CKestivoDoc> m_pDocument;
    QToolBar* m_wndToolBar = nullptr;  // children of the frame's widget
    QSplitter* m_wndSplitter = nullptr;
    CNodeTreeView* m_pTree = nullptr;
    CKestivoView* m_pView = nullptr;
    QHash<int, QAction*> m_actions;
};
