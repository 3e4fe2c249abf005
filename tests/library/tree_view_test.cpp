#include "cnodetreeview.h"
#include "nodeobj.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

CNodeObj* AddFolder(CNodeObj& parent, const QString& name)
{
    auto folder = std::make_unique<CNodeObj>();
    folder->SetName(name);
    return parent.AddChild(std::move(folder));
}

}  // namespace

TEST(TreeView, OpensFullyExpandedWithTheRootBoldSelectedAndFixed)
{
    CNodeObj root;
    root.SetName(QStringLiteral("Image Directory"));
    CNodeObj* trips = AddFolder(root, QStringLiteral("Trips"));
    AddFolder(*AddFolder(*trips, QStringLiteral("2026")), QStringLiteral("June"));
    AddFolder(root, QStringLiteral("Work"));

    CNodeTreeView tree;
    QSignalSpy selected(&tree, &CNodeTreeView::folderSelected);
    tree.Build(&root);
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* top = tree.topLevelItem(0);
    EXPECT_TRUE(top->font(0).bold());
    EXPECT_FALSE(top->flags() & Qt::ItemIsEditable) << "the root is not renamed";
    EXPECT_EQ(tree.SelectedFolder(), &root);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_TRUE(top->isExpanded());
    EXPECT_FALSE(tree.rootIsDecorated()) << "no expand arrow beside the root";
    QTreeWidgetItem* tripsItem = top->child(0);
    EXPECT_TRUE(tripsItem->isExpanded());
    EXPECT_TRUE(tripsItem->flags() & Qt::ItemIsEditable);
    EXPECT_EQ(tripsItem->child(0)->child(0)->text(0), QStringLiteral("June"));
    EXPECT_EQ(top->child(1)->text(0), QStringLiteral("Work"));

    tree.setCurrentItem(top->child(1));
    EXPECT_EQ(selected.count(), 2);
    EXPECT_EQ(CNodeTreeView::FolderOf(top->child(1)), root.GetChildList().GetAt(1));
}

TEST(TreeView, RenamingTrimsAndABlankNameIsRefused)
{
    CNodeObj root;
    CNodeObj* folder = AddFolder(root, QStringLiteral("Unkown"));
    CNodeTreeView tree;
    tree.Build(&root);
    QTreeWidgetItem* item = tree.topLevelItem(0)->child(0);

    item->setText(0, QStringLiteral("   "));
    EXPECT_EQ(folder->GetName(), QStringLiteral("Unkown"));
    EXPECT_EQ(item->text(0), QStringLiteral("Unkown"));

    item->setText(0, QStringLiteral("  Holiday  "));
    EXPECT_EQ(folder->GetName(), QStringLiteral("Holiday"));

    // A new folder under a nested one is inserted last and its parent expanded.
    CNodeObj* nested = AddFolder(*folder, QStringLiteral("Unkown"));
    item->setExpanded(false);
    QTreeWidgetItem* added = tree.InsertNodeItems(item, nested);
    EXPECT_EQ(item->child(item->childCount() - 1), added);
    EXPECT_TRUE(item->isExpanded());
}
