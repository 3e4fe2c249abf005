#include "framedialogs.h"

#include "resource.h"
#include "toolbarcustomizer.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// A toolbar by the name a user knows it: its own title, else the pane or window it sits in.
QString ToolBarTitle(const QToolBar* toolBar)
{
    if (!toolBar->windowTitle().isEmpty())
        return toolBar->windowTitle();
    for (const QWidget* w = toolBar->parentWidget(); w; w = w->parentWidget()) {
        if (qobject_cast<const QDockWidget*>(w) || qobject_cast<const QMdiSubWindow*>(w))
            return w->windowTitle();
    }
    return toolBar->objectName();
}

QString CommandLabel(const QAction* command)
{
    QString label = command->statusTip().isEmpty() ? command->text() : command->statusTip();
    return label.remove(QLatin1Char('&'));
}

}  // namespace

CWindowsDlg::CWindowsDlg(QMdiArea* area, QWidget* parent) : QDialog(parent), m_area(area)
{
    setObjectName(QStringLiteral("WindowsDlg"));
    setWindowTitle(tr("Windows"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("WindowList"));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* activate = buttons->addButton(tr("&Activate"), QDialogButtonBox::AcceptRole);
    activate->setObjectName(QStringLiteral("Activate"));
    QPushButton* close = buttons->addButton(tr("C&lose Window"), QDialogButtonBox::ActionRole);
    close->setObjectName(QStringLiteral("CloseWindow"));
    buttons->addButton(QDialogButtonBox::Close);
    connect(activate, &QPushButton::clicked, this, &CWindowsDlg::ActivateSelected);
    connect(close, &QPushButton::clicked, this, &CWindowsDlg::CloseSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemActivated, this, &CWindowsDlg::ActivateSelected);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    Fill();
}

void CWindowsDlg::Fill()
{
    m_list->clear();
    for (QMdiSubWindow* window : m_area->subWindowList()) {
        QString title = window->windowTitle();
        if (title.isEmpty())
            title = tr("Image Library");
        auto* item = new QListWidgetItem(title, m_list);
        item->setData(Qt::UserRole, QVariant::fromValue<QObject*>(window));
        if (window == m_area->activeSubWindow())
            m_list->setCurrentItem(item);
    }
    if (!m_list->currentItem() && m_list->count() > 0)
        m_list->setCurrentRow(0);
}

void CWindowsDlg::ActivateSelected()
{
    if (const QListWidgetItem* item = m_list->currentItem()) {
        if (auto* window = qobject_cast<QMdiSubWindow*>(item->data(Qt::UserRole).value<QObject*>()))
            m_area->setActiveSubWindow(window);
    }
    accept();
}

void CWindowsDlg::CloseSelected()
{
    if (const QListWidgetItem* item = m_list->currentItem()) {
        if (auto* window = qobject_cast<QMdiSubWindow*>(item->data(Qt::UserRole).value<QObject*>()))
            window->close();
    }
    Fill();
}

CCustomizeDlg::CCustomizeDlg(CToolBarCustomizer* customizer, QWidget* parent)
    : QDialog(parent), m_customizer(customizer)
{
    setObjectName(QStringLiteral("CustomizeDlg"));
    setWindowTitle(tr("Customize"));
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("CommandTree"));
    m_tree->setHeaderHidden(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::Reset, this);
    connect(buttons->button(QDialogButtonBox::Reset), &QPushButton::clicked, this, [this] {
        m_customizer->Reset();
        Fill();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        auto* toolBar = qobject_cast<QToolBar*>(item->data(0, Qt::UserRole).value<QObject*>());
        auto* command = qobject_cast<QAction*>(item->data(0, Qt::UserRole + 1).value<QObject*>());
        if (toolBar && command)
            m_customizer->SetShown(toolBar, command, item->checkState(0) == Qt::Checked);
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addWidget(buttons);
    resize(420, 480);
    Fill();
}

void CCustomizeDlg::Fill()
{
    const QSignalBlocker blocker(m_tree);
    m_tree->clear();
    for (QToolBar* toolBar : m_customizer->ToolBars()) {
        auto* top = new QTreeWidgetItem(m_tree, {ToolBarTitle(toolBar)});
        for (QAction* command : m_customizer->Commands(toolBar)) {
            auto* item = new QTreeWidgetItem(top, {CommandLabel(command)});
            item->setIcon(0, command->icon());
            item->setCheckState(0, m_customizer->IsShown(toolBar, command) ? Qt::Checked : Qt::Unchecked);
            item->setData(0, Qt::UserRole, QVariant::fromValue<QObject*>(toolBar));
            item->setData(0, Qt::UserRole + 1, QVariant::fromValue<QObject*>(command));
        }
    }
    m_tree->expandAll();
}
