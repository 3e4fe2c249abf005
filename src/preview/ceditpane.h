// The docking pane of the preview: six commands above the preview canvas, enabled while an image
// is shown, the zoom commands checked after their last use.
#pragma once

#include "ccommandpane.h"

class CEditDlg;

// User-interface thread only. The main frame docks the pane, hands its canvas the items to show
// (Dialog()->ShowClip) and the background colour (Dialog()->SetBackColor), and reports the
// canvas's problem() signal.
class CEditPane : public CCommandPane {
    Q_OBJECT
public:
    explicit CEditPane(QWidget* parent = nullptr);
    ~CEditPane() override;

    CEditDlg* Dialog() const { return m_pDlg; }
    void UpdateCommands() override;

private:
    QAction* AddEditCommand(int id, const char* icon, const QString& prompt, const QString& tip,
                            const QList<QKeySequence>& keys, void (CEditDlg::*handler)());

    CEditDlg* m_pDlg = nullptr;  // child of the pane's widget
    QAction* m_copy = nullptr;    // Copy (Ctrl+C), off the toolbar
};
