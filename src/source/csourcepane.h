// The docking pane of the video-file source: fourteen commands above the source dialog, each
// enabled only when it applies.
#pragma once

#include <QDockWidget>
#include <QHash>

class CSourceDlg;
class QAction;
class QToolBar;

// User-interface thread only.
class CSourcePane : public QDockWidget {
    Q_OBJECT
public:
    explicit CSourcePane(QWidget* parent = nullptr);
    ~CSourcePane() override;

    CSourceDlg* Dialog() const { return m_pDlg; }
    QToolBar* ToolBar() const { return m_toolBar; }
    // The action of a command id (kestivo::ids), or nullptr.
    QAction* Action(int commandId) const { return m_actions.value(commandId, nullptr); }
    // Sets every command's enabled state from the source's state.
    void UpdateCommands();

private:
    QAction* AddCommand(int id, const char* icon, const QString& prompt, const QString& tip, const QKeySequence& key,
                        void (CSourceDlg::*handler)());

    CSourceDlg* m_pDlg = nullptr;  // child of the pane's widget
    QToolBar* m_toolBar = nullptr;
    QHash<int, QAction*> m_actions;
};
