// The docking pane of the preview: six commands above the preview canvas, enabled while an image
// is shown, the zoom commands checked after their last use.
#pragma once

#include <QDockWidget>
#include <QHash>

class CEditDlg;
class QAction;
class QToolBar;

// User-interface thread only. The main frame docks the pane, hands its canvas the items to show
// (Dialog()->ShowClip) and the background colour (Dialog()->SetBackColor), and reports the
// canvas's problem() signal.
class CEditPane : public QDockWidget {
    Q_OBJECT
public:
    explicit CEditPane(QWidget* parent = nullptr);
    ~CEditPane() override;

    CEditDlg* Dialog() const { return m_pDlg; }
    QToolBar* ToolBar() const { return m_wndPaneToolBar; }
    // The action of a command id (kestivo::ids), or nullptr.
    QAction* Action(int commandId) const { return m_actions.value(commandId, nullptr); }
    // Sets every command's enabled and checked state from the canvas's state.
    void UpdateCommands();

private:
    QAction* AddCommand(int id, const char* icon, const QString& prompt, const QString& tip,
                        const QList<QKeySequence>& keys, void (CEditDlg::*handler)());

    CEditDlg* m_pDlg = nullptr;  // child of the pane's widget
    QToolBar* m_wndPaneToolBar = nullptr;
    QHash<int, QAction*> m_actions;
};
