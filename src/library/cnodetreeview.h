// The library's folder tree: one item per folder, root in bold and not renamable, in-place
// renaming of the others, and the selection naming the folder the grid shows and grabs go to.
#pragma once

#include "colorref.h"

#include <QTreeWidget>

class CNodeObj;

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

private:
    void OnItemChanged(QTreeWidgetItem* item, int column);
    void OnCurrentItemChanged(QTreeWidgetItem* current);

    bool m_building = false;
};
