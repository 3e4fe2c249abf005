#include "ccampane.h"

#include "ccamdlg.h"
#include "ccapbase.h"
#include "resource.h"

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

    connect(m_pDlg, &CCamDlg::stateChanged, this, &CCamPane::UpdateCommands);
    UpdateCommands();
}

CCamPane::~CCamPane() = default;

void CCamPane::UpdateCommands()
{
    const bool stopped = m_pDlg->IsStopped();
    SetCommandEnabled(ID_CAM_PROPERTY, true);
    SetCommandEnabled(ID_CAM_FORMAT, true);
    SetCommandEnabled(ID_CAM_PREVIEW, stopped);
    SetCommandEnabled(ID_CAM_STOP, !stopped);
    SetCommandEnabled(ID_CAM_GRAB, !stopped);
}
