// The library's folder tree: one item per folder, root in bold and not renamable, in-place
// renaming of the others, the selection naming the folder the grid shows and grabs go to, and the
// folders as targets for thumbnails dropped on them.
#pragma once

#include "colorref.h"

#include <QPersistentModelIndex>
#include <QTreeWidget>

class CNodeObj;
class QMimeData;

// User-interface thread only. The items point at the folders without owning them; whoever
// changes the tree of folders keeps the items in step (the library frame's commands).
class CNodeTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit CNodeTreeView(QWidget* parent = nullptr);

    // Builds the items for the whole tree under root and selects the root.
    void Build(CNodeObj* root);
    // Inserts folder and its whole subtree as the last child of parent (or as the top item), and
    // expands parent. Returns the folder's item.
    QTreeWidgetItem* InsertNodeItems(QTreeWidgetItem* parent, CNodeObj* folder);
    // The folder of an item, and of the selected item (nullptr when none).
    static CNodeObj* FolderOf(const QTreeWidgetItem* item);
    CNodeObj* SelectedFolder() const;
    void SetBackColor(ColorRef color);

Q_SIGNALS:
    // The selected folder changed: the grid shows it.
    void folderSelected(CNodeObj* folder);
    // Library items were dropped on folder: moved there, or added as well when Control was held.
    // data is valid during the call only.
    void clipsDropped(const QMimeData* data, CNodeObj* folder, bool add);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The item a drop at pos (viewport coordinates) would go to, or nullptr.
    QTreeWidgetItem* DropTarget(const QPointF& pos) const;
    void SetDropItem(QTreeWidgetItem* item);

    void OnItemChanged(QTreeWidgetItem* item, int column);
    void OnCurrentItemChanged(QTreeWidgetItem* current);

    bool m_building = false;
    // The folder outlined while a drag hovers over it; persistent, so a folder deleted meanwhile
    // leaves no dangling item.
    QPersistentModelIndex m_dropIndex;
};
