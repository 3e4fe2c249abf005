#include "icons.h"

#include "commandaction.h"

#include <QtGlobal>

void InitKestivoIcons()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)done;
}

QAction* MakeCommandAction(QObject* parent, int id, const char* icon, const QString& prompt, const QString& tip,
                           const QList<QKeySequence>& keys)
{
    InitKestivoIcons();
    auto* action = new QAction(KestivoIcon(QLatin1String(icon)), tip, parent);
    action->setObjectName(QStringLiteral("command%1").arg(id));
    action->setData(id);
    action->setStatusTip(prompt);
    action->setWhatsThis(prompt);  // what Shift+F1 and a click on the button tell
    action->setShortcuts(keys);
    // Each pane's keys act in that pane only, so the same key may mean something else elsewhere.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    if (!keys.isEmpty())
        action->setToolTip(QStringLiteral("%1 (%2)").arg(tip, keys.first().toString(QKeySequence::NativeText)));
    return action;
}
