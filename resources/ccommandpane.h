// The shape every docking pane has: a toolbar of the pane's own commands along the top, the pane's
// dialog filling the rest, and each command enabled (and checked) by the pane's own rules.
#pragma once

#include <QDockWidget>
#include <QHash>
#include <QKeySequence>
#include <QList>

class QAction;
class QToolBar;

// User-interface thread only. A derived pane makes its dialog, hands it to SetDialog, adds its
// commands in toolbar order and refreshes them in UpdateCommands whenever its dialog's state changes.
class CCommandPane : public QDockWidget {
    Q_OBJECT
public:
    ~CCommandPane() override;

    QToolBar* ToolBar() const { return m_toolBar; }
    // The action of a command id (kestivo::ids), or nullptr.
    QAction* Action(int commandId) const { return m_actions.value(commandId, nullptr); }
    // Sets every command's enabled (and checked) state from the dialog's state.
    virtual void UpdateCommands() = 0;

protected:
    bool event(QEvent* event) override;
    // objectName names the pane in the saved window state; the toolbar is "<objectName>ToolBar".
    CCommandPane(const QString& title, const QString& objectName, QWidget* parent);

    // Places the dialog below the toolbar, filling the rest; the pane's focus goes to it.
    void SetDialog(QWidget* dialog);
    // A toolbar command whose keys act while the focus is anywhere in the pane.
    QAction* AddCommand(int id, const char* icon, const QString& prompt, const QString& tip,
                        const QList<QKeySequence>& keys = {});
    template <class Dialog>
    QAction* AddCommand(int id, const char* icon, const QString& prompt, const QString& tip,
                        const QList<QKeySequence>& keys, Dialog* dialog, void (Dialog::*handler)())
    {
        QAction* action = AddCommand(id, icon, prompt, tip, keys);
        connect(action, &QAction::triggered, dialog, handler);
        return action;
    }
    void AddSeparator();
    void SetCommandEnabled(int id, bool enabled);

private:
    // The pane's own command with that key when a window-wide command answers to it too.
    QAction* OwnCommandOverWindowKey(const QKeySequence& key) const;

    QWidget* m_body = nullptr;
    QToolBar* m_toolBar = nullptr;
    QHash<int, QAction*> m_actions;
};
