// A pane's command as a toolbar action: the id, the icon, the status-bar prompt, the tooltip with
// its key, the keys themselves.
#pragma once

#include <QAction>
#include <QList>
#include <QKeySequence>

#include <functional>
#include <initializer_list>

class QKeyEvent;
class QToolBar;
class QWidget;

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

// The key of a key press as a shortcut would see it (the keypad flag dropped).
QKeySequence KeyOf(const QKeyEvent& event);

// While the focus is in widget (or anything in it), these keys, alone or with Shift, go to the
// widget even where a window-wide command answers to them: moving through a view wins over the
// command. Only while wants() holds, when given (a view that has nothing to scroll leaves them).
void KeepKeysInWidget(QWidget* widget, std::initializer_list<Qt::Key> keys, std::function<bool()> wants = {});
