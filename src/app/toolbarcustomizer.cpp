#include "toolbarcustomizer.h"

#include "resource.h"
#include "profile.h"

#include <QAction>
#include <QSettings>
#include <QToolBar>

namespace {

using kestivo::Profile;

QString HiddenKey(const QToolBar* toolBar)
{
    return QStringLiteral("Toolbars/%1/Hidden").arg(toolBar->objectName());
}

int CommandId(const QAction* action)
{
    return action->data().toInt();
}

}  // namespace

CToolBarCustomizer::CToolBarCustomizer(QObject* parent) : QObject(parent) {}

void CToolBarCustomizer::Register(QToolBar* toolBar)
{
    if (Find(toolBar))
        return;
    Entry entry{toolBar, toolBar, toolBar->actions(), {}};
    for (const QVariant& id : Profile().value(HiddenKey(toolBar)).toList())
        entry.hidden.insert(id.toInt());
    m_entries.push_back(entry);
    connect(toolBar, &QObject::destroyed, this, [this](QObject* gone) {
        std::erase_if(m_entries, [gone](const Entry& e) { return e.object == gone; });
    });
    if (!entry.hidden.isEmpty())
        Rebuild(entry);
}

QList<QToolBar*> CToolBarCustomizer::ToolBars() const
{
    QList<QToolBar*> toolBars;
    for (const Entry& entry : m_entries)
        toolBars.append(entry.toolBar);
    return toolBars;
}

QList<QAction*> CToolBarCustomizer::Commands(const QToolBar* toolBar) const
{
    QList<QAction*> commands;
    if (const Entry* entry = Find(toolBar)) {
        for (QAction* action : entry->original) {
            if (!action->isSeparator())
                commands.append(action);
        }
    }
    return commands;
}

bool CToolBarCustomizer::IsShown(const QToolBar* toolBar, const QAction* command) const
{
    const Entry* entry = Find(toolBar);
    return entry && !entry->hidden.contains(CommandId(command));
}

void CToolBarCustomizer::SetShown(QToolBar* toolBar, QAction* command, bool shown)
{
    Entry* entry = Find(toolBar);
    if (!entry || shown == !entry->hidden.contains(CommandId(command)))
        return;
    if (shown)
        entry->hidden.remove(CommandId(command));
    else
        entry->hidden.insert(CommandId(command));
    Rebuild(*entry);
    Remember(*entry);
}

void CToolBarCustomizer::Reset()
{
    for (Entry& entry : m_entries) {
        entry.hidden.clear();
        Rebuild(entry);
        Remember(entry);
    }
}

CToolBarCustomizer::Entry* CToolBarCustomizer::Find(const QToolBar* toolBar)
{
    for (Entry& entry : m_entries) {
        if (entry.toolBar == toolBar)
            return &entry;
    }
    return nullptr;
}

const CToolBarCustomizer::Entry* CToolBarCustomizer::Find(const QToolBar* toolBar) const
{
    return const_cast<CToolBarCustomizer*>(this)->Find(toolBar);
}

// The toolbar is filled again in its first order; a separator stands only between two shown
// commands, so hiding a group leaves no double or dangling separator.
void CToolBarCustomizer::Rebuild(const Entry& entry)
{
    QToolBar* toolBar = entry.toolBar;
    toolBar->clear();  // removes the actions from the toolbar; it deletes none
    QAction* pendingSeparator = nullptr;
    for (QAction* action : entry.original) {
        if (action->isSeparator()) {
            if (!toolBar->actions().isEmpty())
                pendingSeparator = action;
            continue;
        }
        if (entry.hidden.contains(CommandId(action)))
            continue;
        if (pendingSeparator)
            toolBar->addAction(pendingSeparator);
        pendingSeparator = nullptr;
        toolBar->addAction(action);
    }
}

void CToolBarCustomizer::Remember(const Entry& entry)
{
    QVariantList ids;
    for (const int id : entry.hidden)
        ids.append(id);
    std::sort(ids.begin(), ids.end(), [](const QVariant& a, const QVariant& b) { return a.toInt() < b.toInt(); });
    QSettings profile = Profile();
    if (ids.isEmpty())
        profile.remove(HiddenKey(entry.toolBar));
    else
        profile.setValue(HiddenKey(entry.toolBar), ids);
}
