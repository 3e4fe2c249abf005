// The docking pane of the video-file source: seventeen commands above the source dialog, each
// enabled only when it applies.
#pragma once

#include "ccommandpane.h"

class CSourceDlg;

// User-interface thread only.
class CSourcePane : public CCommandPane {
    Q_OBJECT
public:
    explicit CSourcePane(QWidget* parent = nullptr);
    ~CSourcePane() override;

    CSourceDlg* Dialog() const { return m_pDlg; }
    void UpdateCommands() override;

private:
    void AddCopyFrameCommand();
    QAction* AddSourceCommand(int id, const char* icon, const QString& prompt, const QString& tip,
                              const QKeySequence& key, void (CSourceDlg::*handler)());

    CSourceDlg* m_pDlg = nullptr;  // child of the pane's widget
};
