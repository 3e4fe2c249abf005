// The docking pane of one capture channel: the five capture commands above the channel's
// controller, titled with the channel's name.
#pragma once

#include "ccommandpane.h"

class CCamDlg;
class CCapBase;

// User-interface thread only.
class CCamPane : public CCommandPane {
    Q_OBJECT
public:
    // capture is shared by every pane and outlives it; channel counts from 0.
    CCamPane(CCapBase* capture, int channel, QWidget* parent = nullptr);
    ~CCamPane() override;

    CCamDlg* Dialog() const { return m_pDlg; }
    void UpdateCommands() override;

private:
    CCamDlg* m_pDlg = nullptr;  // child of the pane's widget
};
