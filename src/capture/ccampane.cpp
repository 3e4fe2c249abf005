#include "ccampane.h"

#include "ccamdlg.h"
#include "ccapbase.h"
#include "resource.h"
#include "timedgrab.h"

#include <QAction>

using namespace kestivo::ids;

CCamPane::CCamPane(CCapBase* capture, int channel, QWidget* parent)
    : CCommandPane(capture->GetChanName(channel), QStringLiteral("CamPane%1").arg(channel), parent)
{
    m_pDlg = new CCamDlg(capture, channel, this);
    SetDialog(m_pDlg);

    // The prompts are the program's own words, typing included.
    AddCommand(ID_CAM_PROPERTY, "camproperty", tr("Set the vidoe Property"), tr("Property"), {}, m_pDlg,
               &CCamDlg::VideoProperty);
    AddCommand(ID_CAM_FORMAT, "camformat", tr("Set the video format"), tr("Format"), {}, m_pDlg, &CCamDlg::VideoFormat);
    AddSeparator();
    // One key for both: only one of the two is enabled at a time.
    AddCommand(ID_CAM_PREVIEW, "campreview", tr("Preview"), tr("Preview"), {Qt::Key_Space}, m_pDlg, &CCamDlg::Preview);
    AddCommand(ID_CAM_STOP, "stop", tr("Stop"), tr("Stop"), {Qt::Key_Space}, m_pDlg, &CCamDlg::Stop);
    AddSeparator();
    AddCommand(ID_CAM_GRAB, "grab", tr("Grab Image"), tr("Grab Image"), {Qt::Key_G}, m_pDlg, &CCamDlg::GrabImage);
    m_timed = new CTimedGrab(m_pDlg);
    QAction* every = AddCommand(ID_CAM_GRAB_EVERY, "grabevery", tr("Grab an image at regular intervals; again to stop"),
                                tr("Grab Every..."), {Qt::Key_T});
    every->setCheckable(true);
    connect(every, &QAction::triggered, this, [this] {
        m_timed->AskOrStop(this);
        UpdateCommands();  // a cancelled dialog leaves the check as it was
    });
    connect(m_timed, &CTimedGrab::stateChanged, this, &CCamPane::UpdateCommands);

    connect(m_pDlg, &CCamDlg::stateChanged, this, &CCamPane::UpdateCommands);
    UpdateCommands();
}

CCamPane::~CCamPane()
{
    // The last grabs are handed over while the pane is whole: a timed grab's end updates it.
    m_pDlg->Shutdown();
}

void CCamPane::UpdateCommands()
{
    const bool stopped = m_pDlg->IsStopped();
    SetCommandEnabled(ID_CAM_PROPERTY, true);
    SetCommandEnabled(ID_CAM_FORMAT, true);
    SetCommandEnabled(ID_CAM_PREVIEW, stopped);
    SetCommandEnabled(ID_CAM_STOP, !stopped);
    SetCommandEnabled(ID_CAM_GRAB, !stopped);
    SetCommandEnabled(ID_CAM_GRAB_EVERY, !stopped || m_timed->IsRunning());
    Action(ID_CAM_GRAB_EVERY)->setChecked(m_timed->IsRunning());
}
