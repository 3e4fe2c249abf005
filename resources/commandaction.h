// A pane's command as a toolbar action: the id, the icon, the status-bar prompt, the tooltip with
// its key, the keys themselves.
#pragma once

#include <QAction>
#include <QList>
#include <QKeySequence>

class QToolBar;

// The action is named "command<id>" and carries the id as its data; its keys work while the
// widget it is added to (or anything in it) has the focus. icon names ":/icons/<icon>.svg".
QAction* MakeCommandAction(QObject* parent, int id, const char* icon, const QString& prompt, const QString& tip,
                           const QList<QKeySequence>& keys = {});

// Gives each button of toolBar its command's name (the action's text) and description (its
// status-bar prompt) for screen readers, now and for every button the toolbar makes later:
// Customize... makes a toolbar's buttons afresh, and the layout button changes its text.
// With tabStops the buttons also take the focus by Tab, in toolbar order and ahead of the rest of
// the toolbar's parent (a pane's dialog), so that commands without a key can be reached; Space
// then presses the focused button.
void NameToolBarButtons(QToolBar* toolBar, bool tabStops = false);
