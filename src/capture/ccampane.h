// The docking pane of one capture channel: the capture commands above the channel's controller,
// titled with the channel's name.
#pragma once

#include "ccommandpane.h"

class CCamDlg;
class CCapBase;
class CTimedGrab;

// User-interface thread only.
class CCamPane : public CCommandPane {
    Q_OBJECT
public:
    // capture is shared by every pane and outlives it; channel counts from 0.
    CCamPane(CCapBase* capture, int channel, QWidget* parent = nullptr);
    ~CCamPane() override;

    CCamDlg* Dialog() const { return m_pDlg; }
    CTimedGrab* TimedGrab() const { return m_timed; }
    void UpdateCommands() override;

private:
    CCamDlg* m_pDlg = nullptr;  // child of the pane's widget
    CTimedGrab* m_timed = nullptr;  // child of m_pDlg
};
