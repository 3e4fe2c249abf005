// The main frame's Capture menu: network cameras added and removed, and which channels have panes.
#include "mainframe.h"

#include "ccamdlg.h"
#include "ccampane.h"
#include "ccapbase.h"
#include "channelchooser.h"
#include "clipobj.h"
#include "csourcepane.h"
#include "logging.h"
#include "netcamdlg.h"
#include "resource.h"
#include "setobj.h"
#include "timedgrab.h"
#include "toolbarcustomizer.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

using namespace kestivo;

void CMainFrame::CreateCaptureMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Capture"));
    menu->setObjectName(QStringLiteral("CaptureMenu"));
    connect(AddCommand(menu, ids::ID_NET_CAMERA_ADD, tr("Add Network Camera..."),
                       tr("Add a camera on the network (RTSP, HTTP MJPEG, UDP, SRT) as a capture channel")),
            &QAction::triggered, this, &CMainFrame::OnAddNetCamera);
    connect(AddCommand(menu, ids::ID_NET_CAMERA_REMOVE, tr("Remove Network Camera"),
                       tr("Remove a network camera from the capture channels")),
            &QAction::triggered, this, &CMainFrame::OnRemoveNetCamera);
    menu->addSeparator();
    connect(AddCommand(menu, ids::ID_CHOOSE_CHANNELS, tr("Channels..."),
                       tr("Choose the channels that have a capture pane (at most four)")),
            &QAction::triggered, this, &CMainFrame::OnChooseChannels);
    UpdateChannelCommands();
}

void CMainFrame::UpdateChannelCommands()
{
    bool anyChannel = false, anyNetwork = false;
    for (int channel = 0; m_pCapBase && channel < m_pCapBase->GetChanCount(); ++channel) {
        anyChannel = anyChannel || !m_pCapBase->GetChanName(channel).isEmpty();
        anyNetwork = anyNetwork || m_pCapBase->IsNetChan(channel);
    }
    if (QAction* add = Action(ids::ID_NET_CAMERA_ADD))
        add->setEnabled(m_pCapBase && !m_closing);
    if (QAction* remove = Action(ids::ID_NET_CAMERA_REMOVE))
        remove->setEnabled(anyNetwork && !m_closing);
    if (QAction* choose = Action(ids::ID_CHOOSE_CHANNELS))
        choose->setEnabled(anyChannel && !m_closing);
}

// Panes stay in channel order, each tabbed after the one before it (the first onto the source).
CCamPane* CMainFrame::AddCamPane(int channel)
{
    auto* pane = new CCamPane(m_pCapBase.get(), channel, this);
    CCamDlg* dialog = pane->Dialog();
    dialog->SetBackColor(g_SetObj.m_backColor);
    dialog->SetClipSink([this](std::unique_ptr<CClipObj> clip) { OnNewClip(std::move(clip)); });
    connect(dialog, &CCamDlg::problem, this, &CMainFrame::ReportProblem);
    connect(dialog, &CCamDlg::status, this, [this](const QString& message) { statusBar()->showMessage(message, 5000); });
    connect(dialog, &CCamDlg::stateChanged, this, &CMainFrame::UpdateCaptureCommands);
    connect(pane->TimedGrab(), &CTimedGrab::stateChanged, this, &CMainFrame::UpdateCaptureCommands);
    const auto place = std::find_if(m_wndCamPanes.begin(), m_wndCamPanes.end(),
                                    [channel](const CCamPane* other) { return other->Dialog()->Channel() > channel; });
    QDockWidget* previous = place == m_wndCamPanes.begin() ? static_cast<QDockWidget*>(m_wndSourcePane) : *(place - 1);
    tabifyDockWidget(previous, pane);
    m_wndCamPanes.insert(place, pane);
    if (m_customizer)
        m_customizer->Register(pane->ToolBar());
    return pane;
}

CCamPane* CMainFrame::CamPaneOf(int channel) const
{
    const auto found = std::find_if(m_wndCamPanes.cbegin(), m_wndCamPanes.cend(),
                                    [channel](const CCamPane* pane) { return pane->Dialog()->Channel() == channel; });
    return found != m_wndCamPanes.cend() ? *found : nullptr;
}

void CMainFrame::RemoveCamPane(CCamPane* pane)
{
    disconnect(pane->Dialog(), &CCamDlg::stateChanged, this, nullptr);
    disconnect(pane->TimedGrab(), &CTimedGrab::stateChanged, this, nullptr);
    pane->Dialog()->Shutdown();  // a grab under way reaches the library first
    m_wndCamPanes.removeOne(pane);
    delete pane;
    UpdateCaptureCommands();
}

void CMainFrame::OnAddNetCamera()
{
    if (!m_pCapBase || m_closing)
        return;
    CNetCamDlg dialog(
        [this](const QString& name) {
            for (int channel = 0; channel < m_pCapBase->GetChanCount(); ++channel) {
                const QString taken = m_pCapBase->GetChanName(channel);
                if (taken.compare(name, Qt::CaseInsensitive) == 0)
                    return tr("There is a channel named %1 already").arg(taken);
            }
            return QString();
        },
        this);
    if (dialog.exec() == QDialog::Accepted && !m_closing)
        AddNetCamera(dialog.Name(), dialog.Address());
}

int CMainFrame::AddNetCamera(const QString& name, const QString& address)
{
    const int channel = m_pCapBase->AddNetChan(name, address);
    if (channel < 0) {
        ReportProblem(m_pCapBase->LastError());
        return -1;
    }
    if (m_wndCamPanes.size() < ids::kMaxCamPanes) {
        AddCamPane(channel)->raise();
    } else {
        QStringList hidden = HiddenChannels();
        hidden.append(m_pCapBase->GetChanName(channel));
        SetHiddenChannels(hidden);
        statusBar()->showMessage(tr("%1 has no pane yet: four channels have one. Choose it in Channels...")
                                     .arg(m_pCapBase->GetChanName(channel)),
                                 8000);
    }
    if (!Action(ids::ID_GRAB_ALL_CHANNELS)) {
        CreateCaptureToolBar();
        if (auto* toolBar = findChild<QToolBar*>(QStringLiteral("CaptureToolBar"), Qt::FindDirectChildrenOnly))
            m_customizer->Register(toolBar);
    }
    UpdateChannelCommands();
    return channel;
}

void CMainFrame::OnRemoveNetCamera()
{
    if (!m_pCapBase || m_closing)
        return;
    QStringList labels;
    QList<int> channels;
    for (int channel = 0; channel < m_pCapBase->GetChanCount(); ++channel) {
        if (!m_pCapBase->IsNetChan(channel))
            continue;
        labels.append(tr("%1 (%2)").arg(m_pCapBase->GetChanName(channel), m_pCapBase->GetChanAddress(channel)));
        channels.append(channel);
    }
    if (channels.isEmpty())
        return;
    bool ok = false;
    const QString chosen = QInputDialog::getItem(this, tr("Remove Network Camera"),
                                                 tr("The camera to remove (its grabs stay in the library):"), labels, 0,
                                                 false, &ok);
    if (ok && !m_closing)
        RemoveNetCamera(channels.value(labels.indexOf(chosen), -1));
}

void CMainFrame::RemoveNetCamera(int channel)
{
    if (!m_pCapBase || !m_pCapBase->IsNetChan(channel))
        return;
    const QString name = m_pCapBase->GetChanName(channel);
    if (CCamPane* pane = CamPaneOf(channel))
        RemoveCamPane(pane);
    m_pCapBase->RemoveNetChan(channel);
    QStringList hidden = HiddenChannels();
    hidden.removeAll(name);
    SetHiddenChannels(hidden);
    // The pane it leaves goes to the next channel that is not set aside.
    for (const int next : PaneChannels(*m_pCapBase, hidden, ids::kMaxCamPanes)) {
        if (!CamPaneOf(next) && m_wndCamPanes.size() < ids::kMaxCamPanes)
            AddCamPane(next);
    }
    statusBar()->showMessage(tr("%1 was removed").arg(name), 5000);
    UpdateChannelCommands();
}

void CMainFrame::OnChooseChannels()
{
    if (!m_pCapBase || m_closing)
        return;
    QList<int> shown;
    for (const CCamPane* pane : std::as_const(m_wndCamPanes))
        shown.append(pane->Dialog()->Channel());
    CChannelChooserDlg dialog(*m_pCapBase, shown, ids::kMaxCamPanes, this);
    if (dialog.exec() == QDialog::Accepted && !m_closing)
        ShowChannels(dialog.Chosen());
}

void CMainFrame::ShowChannels(const QList<int>& channels)
{
    const QList<int> wanted = channels.mid(0, ids::kMaxCamPanes);
    QStringList hidden;
    for (int channel = 0; channel < m_pCapBase->GetChanCount(); ++channel) {
        const QString name = m_pCapBase->GetChanName(channel);
        if (!name.isEmpty() && !wanted.contains(channel))
            hidden.append(name);
    }
    SetHiddenChannels(hidden);
    for (CCamPane* pane : QList<CCamPane*>(m_wndCamPanes)) {
        if (!wanted.contains(pane->Dialog()->Channel()))
            RemoveCamPane(pane);
    }
    for (const int channel : wanted) {
        if (!CamPaneOf(channel) && !m_pCapBase->GetChanName(channel).isEmpty())
            AddCamPane(channel);
    }
    ApplyLayout();
    qCInfo(lcApp) << "capture panes for channels" << wanted;
}
