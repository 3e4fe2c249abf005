#include "cnodetreeview.h"

#include "cliptransfer.h"
#include "icons.h"
#include "nodeobj.h"

#include <QDragMoveEvent>
#include <QIcon>
#include <QMimeData>
#include <QPainter>

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
    setToolTip(tr("Library folders: F2 renames the selected one; drop images on a folder to move them "
                  "there, with Ctrl to add them there as well"));
    // Drops are handled here rather than by the item view's own machinery, which would move tree
    // items; the thumbnails dropped are items of the library, not of this tree.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
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
    item->setText(0, name);
    if (name == folder->GetName())
        return;
    folder->SetName(name);
    if (CLibraryObserver* observer = folder->Observer())
        observer->FolderRenamed(*folder);
}

void CNodeTreeView::OnCurrentItemChanged(QTreeWidgetItem* current)
{
    if (CNodeObj* folder = FolderOf(current))
        Q_EMIT folderSelected(folder);
}

QTreeWidgetItem* CNodeTreeView::DropTarget(const QPointF& pos) const
{
    QTreeWidgetItem* item = itemAt(pos.toPoint());
    return FolderOf(item) ? item : nullptr;
}

void CNodeTreeView::SetDropItem(QTreeWidgetItem* item)
{
    const QModelIndex index = indexFromItem(item);
    if (index == m_dropIndex)
        return;
    m_dropIndex = index;
    viewport()->update();
}

// Anything else (a video from a file manager) is left to the windows below, which open it.
void CNodeTreeView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->mimeData()->hasFormat(QLatin1String(kClipItemsMimeType))) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    dragMoveEvent(event);
}

void CNodeTreeView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!event->mimeData()->hasFormat(QLatin1String(kClipItemsMimeType))) {
        event->ignore();
        return;
    }
    QTreeWidgetItem* item = DropTarget(event->position());
    SetDropItem(item);
    if (!item) {
        event->ignore();
        return;
    }
    // The drag offers a copy only (see CKestivoView::StartDrag); Control decides here.
    event->setDropAction(Qt::CopyAction);
    event->accept(visualItemRect(item));
}

void CNodeTreeView::dragLeaveEvent(QDragLeaveEvent* event)
{
    SetDropItem(nullptr);
    event->accept();
}

void CNodeTreeView::dropEvent(QDropEvent* event)
{
    SetDropItem(nullptr);
    QTreeWidgetItem* item = DropTarget(event->position());
    if (!item || !event->mimeData()->hasFormat(QLatin1String(kClipItemsMimeType))) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Q_EMIT clipsDropped(event->mimeData(), FolderOf(item), (event->modifiers() & Qt::ControlModifier) != 0);
}

void CNodeTreeView::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    if (!m_dropIndex.isValid())
        return;
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(visualRect(m_dropIndex).adjusted(1, 1, -1, -1));
}
