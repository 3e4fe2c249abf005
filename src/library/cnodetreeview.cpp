#include "cnodetreeview.h"

#include "icons.h"
#include "nodeobj.h"

#include <QIcon>

namespace {

constexpr int kFolderRole = Qt::UserRole + 1;

}  // namespace

CNodeTreeView::CNodeTreeView(QWidget* parent) : QTreeWidget(parent)
{
    InitKestivoIcons();
    setObjectName(QStringLiteral("NodeTreeView"));
    setHeaderHidden(true);
    setColumnCount(1);
    // The root is the library itself, always open: no expand arrow beside it.
    setRootIsDecorated(false);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setToolTip(tr("Library folders: F2 renames the selected one"));
    connect(this, &QTreeWidget::itemChanged, this, &CNodeTreeView::OnItemChanged);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnCurrentItemChanged(current); });
}

void CNodeTreeView::SetBackColor(ColorRef color)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, ToQColor(color));
    setPalette(p);
}

void CNodeTreeView::Build(CNodeObj* root)
{
    clear();
    if (!root)
        return;
    QTreeWidgetItem* top = InsertNodeItems(nullptr, root);
    setCurrentItem(top);
}

QTreeWidgetItem* CNodeTreeView::InsertNodeItems(QTreeWidgetItem* parent, CNodeObj* folder)
{
    m_building = true;
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, folder->GetName());
    item->setIcon(0, QIcon(QStringLiteral(":/icons/folder.svg")));
    item->setData(0, kFolderRole, QVariant::fromValue(static_cast<void*>(folder)));
    if (parent) {
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    } else {
        // The root is the library itself: bold, and never renamed.
        QFont bold = item->font(0);
        bold.setBold(true);
        item->setFont(0, bold);
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    }
    m_building = false;
    for (CNodeObj* child : folder->GetChildList())
        InsertNodeItems(item, child);
    if (parent)
        parent->setExpanded(true);
    return item;
}

CNodeObj* CNodeTreeView::FolderOf(const QTreeWidgetItem* item)
{
    return item ? static_cast<CNodeObj*>(item->data(0, kFolderRole).value<void*>()) : nullptr;
}

CNodeObj* CNodeTreeView::SelectedFolder() const
{
    return FolderOf(currentItem());
}

void CNodeTreeView::OnItemChanged(QTreeWidgetItem* item, int column)
{
    CNodeObj* folder = FolderOf(item);
    if (m_building || column != 0 || !folder)
        return;
    const QString name = item->text(0).trimmed();
    const QSignalBlocker block(this);
    if (name.isEmpty()) {
        item->setText(0, folder->GetName());  // a blank name is refused: the old one stays
        return;
    }
    folder->SetName(name);
    item->setText(0, name);
}

void CNodeTreeView::OnCurrentItemChanged(QTreeWidgetItem* current)
{
    if (CNodeObj* folder = FolderOf(current))
        Q_EMIT folderSelected(folder);
}
