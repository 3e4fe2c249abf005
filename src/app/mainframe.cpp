#include "mainframe.h"

#include "applooks.h"
#include "ccamdlg.h"
#include "ccampane.h"
#include "ccapbase.h"
#include "channelchooser.h"
#include "cchildframe.h"
#include "ceditdlg.h"
#include "ceditpane.h"
#include "ckestivoview.h"
#include "clipobj.h"
#include "cliptransfer.h"
#include "commandaction.h"
#include "coptionsdlg.h"
#include "framedialogs.h"
#include "helpwindow.h"
#include "icons.h"
#include "panelayouts.h"
#include "toolbarcustomizer.h"
#include "csourcedlg.h"
#include "csourcepane.h"
#include "logging.h"
#include "resource.h"
#include "setobj.h"
#include "timedgrab.h"
#include "videotimecode.h"

#include <QAction>
#include <QApplication>
#include <QToolBar>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QScrollBar>
#include <QMimeData>
#include <QStatusBar>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>

using namespace kestivo;

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QString::fromLatin1(text::kAppName));
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("MdiArea"));
    setCentralWidget(m_mdiArea);
    // The look first: the panes take its background colour when they are made.
    m_appLook = applook::ReadFromProfile();
    g_SetObj.m_backColor = applook::Apply(m_appLook);
    ShowIdleStatus();
    CreateDockingWindows();
    CreateLayoutMenu();
    CreateMenus();
    CreateStandardToolBar();
    CreateCaptureToolBar();
    CreatePaneKeys();
    CustomizeToolBars();
    setAcceptDrops(true);
    UpdateMenus();
    ApplyLayout();
}

// "For Help, press F1" whenever nothing else is said.
void CMainFrame::ShowIdleStatus()
{
    const QString idle = tr(text::kIdleStatus);
    connect(statusBar(), &QStatusBar::messageChanged, this, [this, idle](const QString& message) {
        if (message.isEmpty())
            statusBar()->showMessage(idle);
    });
    statusBar()->showMessage(idle);
}

void CMainFrame::ShowPreviewStatus()
{
    CEditDlg* preview = m_wndPreviewPane->Dialog();
    m_previewStatus = new QLabel(this);
    m_previewStatus->setObjectName(QStringLiteral("PreviewStatus"));
    statusBar()->addPermanentWidget(m_previewStatus);
    connect(preview, &CEditDlg::stateChanged, m_previewStatus, [this, preview] {
        const CClipObj* clip = preview->Clip();
        if (!clip || clip->GetImage().IsNull()) {
            m_previewStatus->clear();
            return;
        }
        m_previewStatus->setText(tr("Preview %1%   %2 \u00D7 %3")
                                     .arg(qRound(preview->Zoom() * 100))
                                     .arg(clip->GetImage().GetWidth())
                                     .arg(clip->GetImage().GetHeight()));
    });
}

void CMainFrame::keyPressEvent(QKeyEvent* event)
{
    const QKeySequence key = KeyOf(*event);
    for (const QAction* action : m_wndSourcePane->findChildren<QAction*>()) {
        if (action->shortcutContext() != Qt::WindowShortcut || action->isEnabled() || !action->shortcuts().contains(key))
            continue;
        // Here only when every command with the key is disabled (Play and Pause share Space).
        const CSourceDlg* source = m_wndSourcePane->Dialog();
        const QString what = action->iconText();
        statusBar()->showMessage(source->IsOpen()
                                     ? tr("%1 does nothing at frame %2").arg(what).arg(source->CurrentFrame())
                                     : tr("%1 needs a video: Ctrl+O in the source pane opens one").arg(what),
                                 5000);
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

// The toolbars whose commands the user may show or hide: the frame's and every pane's.
void CMainFrame::CustomizeToolBars()
{
    m_customizer = new CToolBarCustomizer(this);
    m_customizer->Register(m_wndToolBar);
    if (auto* capture = findChild<QToolBar*>(QStringLiteral("CaptureToolBar"), Qt::FindDirectChildrenOnly))
        m_customizer->Register(capture);
    m_customizer->Register(m_wndSourcePane->ToolBar());
    for (CCamPane* pane : std::as_const(m_wndCamPanes))
        m_customizer->Register(pane->ToolBar());
    m_customizer->Register(m_wndPreviewPane->ToolBar());
}

void CMainFrame::OnApplicationLook(int id)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_appLook = applook::For(id).id;
    g_SetObj.m_backColor = applook::Apply(m_appLook);
    applook::WriteToProfile(m_appLook);
    if (QAction* checked = Action(m_appLook))
        checked->setChecked(true);
    // The capture dialogs keep their colour until they are made again, as they always have.
    m_wndSourcePane->Dialog()->SetBackColor(g_SetObj.m_backColor);
    m_wndPreviewPane->Dialog()->SetBackColor(g_SetObj.m_backColor);
    if (m_pLibraryFrame)
        m_pLibraryFrame->SetBackColor(g_SetObj.m_backColor);
    update();
    QApplication::restoreOverrideCursor();
}

bool CMainFrame::RestoreWindowState(const QByteArray& state)
{
    if (state.isEmpty() || !restoreState(state))
        return false;
    panelayout::CancelPendingSizes(this);
    return true;
}

void CMainFrame::OnLayout(int id)
{
    m_layoutCmd = panelayout::For(id).id;
    UpdateLayoutButton();
    ApplyLayout();
}

void CMainFrame::ApplyLayout()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QList<QDockWidget*> cams;
    for (CCamPane* pane : std::as_const(m_wndCamPanes))
        cams.append(pane);
    panelayout::Apply(this, m_layoutCmd, m_wndPreviewPane, m_wndSourcePane, cams);
    QApplication::restoreOverrideCursor();
}

void CMainFrame::OnOptions()
{
    COptionsDlg dialog(this);
    dialog.SetBackColor(g_SetObj.m_backColor);
    dialog.exec();
}

void CMainFrame::OnWindowManager()
{
    CWindowsDlg dialog(m_mdiArea, this);
    dialog.exec();
}

void CMainFrame::OnViewCustomize()
{
    CCustomizeDlg dialog(m_customizer, this);
    dialog.exec();
}

void CMainFrame::OnHelpTopics()
{
    ShowHelp(this);
}

// The source above the preview, right of the library, until the layouts of their own arrive.
void CMainFrame::CreateDockingWindows()
{
    m_wndSourcePane = new CSourcePane(this);
    m_wndPreviewPane = new CEditPane(this);
    addDockWidget(Qt::RightDockWidgetArea, m_wndSourcePane);
    splitDockWidget(m_wndSourcePane, m_wndPreviewPane, Qt::Vertical);
    resizeDocks({m_wndSourcePane}, {460}, Qt::Horizontal);
    CSourceDlg* source = m_wndSourcePane->Dialog();
    source->SetClipSink([this](std::unique_ptr<CClipObj> clip) { OnNewClip(std::move(clip)); });
    connect(source, &CSourceDlg::problem, this, &CMainFrame::ReportProblem);
    connect(source, &CSourceDlg::status, this, [this](const QString& message) { statusBar()->showMessage(message, 5000); });
    connect(source, &CSourceDlg::videoOpened, this, &CMainFrame::ShowLibraryFramesInSource);
    // A window-wide key needs a visible widget of its action: the frame, when the source pane is
    // behind a capture pane's tab or closed.
    for (QAction* action : m_wndSourcePane->findChildren<QAction*>()) {
        if (action->shortcutContext() == Qt::WindowShortcut)
            addAction(action);
    }
    m_wndPreviewPane->Dialog()->SetBackColor(g_SetObj.m_backColor);
    connect(m_wndPreviewPane->Dialog(), &CEditDlg::problem, this, &CMainFrame::ReportProblem);
    ShowPreviewStatus();
    // A zoomed picture scrolls by its arrows rather than step the video.
    KeepKeysInWidget(m_wndPreviewPane->Dialog(), {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down},
                     [preview = m_wndPreviewPane->Dialog()] {
                         return preview->horizontalScrollBar()->maximum() > 0 || preview->verticalScrollBar()->maximum() > 0;
                     });
    // Shown on the panes' tabs and title bars.
    m_wndPreviewPane->setWindowIcon(KestivoIcon(QStringLiteral("preview")));
    m_wndSourcePane->setWindowIcon(KestivoIcon(QStringLiteral("sourcepane")));
    CreateCapturePanes();
}

// The channels join the source's tab group in channel order, the last one in front.
void CMainFrame::CreateCapturePanes()
{
    {
        // Looking for devices can take a moment.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_pCapBase = std::make_unique<CCapBase>();
        QApplication::restoreOverrideCursor();
    }
    const QList<int> channels = PaneChannels(*m_pCapBase, HiddenChannels(), ids::kMaxCamPanes);
    for (const int channel : channels)
        AddCamPane(channel);
    if (!m_wndCamPanes.isEmpty())
        m_wndCamPanes.last()->raise();
    qCInfo(lcApp) << m_pCapBase->GetChanCount() << "capture channels," << channels.size() << "with panes";
}

void CMainFrame::OnGrabAllChannels()
{
    for (CCamPane* pane : std::as_const(m_wndCamPanes)) {
        if (!pane->Dialog()->IsStopped())
            pane->Dialog()->GrabImage();
    }
}

void CMainFrame::OnGrabAllChannelsEvery()
{
    QList<CTimedGrab*> runs;
    for (CCamPane* pane : std::as_const(m_wndCamPanes))
        runs.append(pane->TimedGrab());
    ToggleTimedGrabs(this, runs);
    UpdateCaptureCommands();  // a cancelled dialog leaves the check as it was
}

void CMainFrame::UpdateCaptureCommands()
{
    const bool previewing = std::any_of(m_wndCamPanes.cbegin(), m_wndCamPanes.cend(),
                                        [](const CCamPane* pane) { return !pane->Dialog()->IsStopped(); });
    const bool timed = std::any_of(m_wndCamPanes.cbegin(), m_wndCamPanes.cend(),
                                   [](const CCamPane* pane) { return pane->TimedGrab()->IsRunning(); });
    if (QAction* grabAll = Action(ids::ID_GRAB_ALL_CHANNELS))
        grabAll->setEnabled(previewing);
    if (QAction* grabAllEvery = Action(ids::ID_GRAB_ALL_CHANNELS_EVERY)) {
        grabAllEvery->setEnabled(previewing || timed);
        grabAllEvery->setChecked(timed);
    }
}

void CMainFrame::StopCapture()
{
    m_closing = true;
    m_wndSourcePane->Dialog()->StopRangeGrab();
    for (CCamPane* pane : QList<CCamPane*>(m_wndCamPanes))
        RemoveCamPane(pane);
    m_pCapBase.reset();
    UpdateChannelCommands();
}

CChildFrame* CMainFrame::LibraryFrame() const
{
    return m_pLibraryFrame;
}

void CMainFrame::OnFileNew()
{
    if (m_pLibraryFrame) {
        m_mdiArea->setActiveSubWindow(m_pLibraryFrame);
        return;
    }
    auto* frame = new CChildFrame(g_SetObj.m_pRootNode.get());
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->SetBackColor(g_SetObj.m_backColor);
    frame->View()->SetImageDirSource([] { return g_SetObj.m_imageDir; });
    frame->View()->SetTimecodeSource(CachedVideoTimecode);
    m_mdiArea->addSubWindow(frame);
    frame->showMaximized();
    frame->setFocus();  // the grid, where the arrows move through the grabs
    m_pLibraryFrame = frame;
    m_customizer->Register(frame->ToolBar());
    connect(frame, &CChildFrame::previewClip, this, &CMainFrame::OnPreviewClip);
    connect(frame, &CChildFrame::contentsChanged, this, &CMainFrame::ShowLibraryFramesInSource);
    connect(frame, &QObject::destroyed, this, [this] {
        m_pLibraryFrame = nullptr;
        UpdateMenus();
    });
    UpdateMenus();
}

void CMainFrame::OnFileOpen()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Open"), QString(), tr("Kestivo Files (*.kvo)"));
    if (!path.isEmpty())
        OnFileNew();
}

void CMainFrame::OnFileClose()
{
    if (m_pLibraryFrame)
        m_pLibraryFrame->close();
}

void CMainFrame::UpdateMenus()
{
    const bool open = !m_pLibraryFrame.isNull();
    m_fileMenuNoLibrary->menuAction()->setVisible(!open);
    m_fileMenuLibrary->menuAction()->setVisible(open);
    Action(ids::ID_FILE_CLOSE)->setEnabled(open);
}

void CMainFrame::OnNewClip(std::unique_ptr<CClipObj> clip)
{
    if (!clip)
        return;
    statusBar()->showMessage(tr("Grabbed %1").arg(clip->GetPath()), 5000);
    if (!m_pLibraryFrame && m_closing) {
        // A grab finished while the frame goes: no window to open, but the item is kept.
        g_SetObj.m_pRootNode->AddNewClip(std::move(clip));
        return;
    }
    if (!m_pLibraryFrame)
        OnFileNew();
    const bool ofSource = clip->GetKind() == CClipObj::kVideoFile && clip->GetSource() == m_wndSourcePane->Dialog()->FileName();
    m_pLibraryFrame->AddImage(std::move(clip));
    if (ofSource)
        ShowLibraryFramesInSource();
}

void CMainFrame::ShowLibraryFramesInSource()
{
    CSourceDlg* source = m_wndSourcePane->Dialog();
    source->SetLibraryFrames(source->IsOpen() ? g_SetObj.m_pRootNode->FramesOfVideo(source->FileName())
                                              : std::map<std::uint32_t, QString>());
}

void CMainFrame::OnPreviewClip(CClipObj* library)
{
    if (!library)
        return;
    // Opening another video lets events through while it indexes; the library's item may be
    // gone by the time the preview wants it, so both work from a copy.
    const std::unique_ptr<CClipObj> clip = library->Clone();
    // The preview first: when the video has gone, the box that says so stands over the grab.
    m_wndPreviewPane->show();
    CEditDlg* preview = m_wndPreviewPane->Dialog();
    preview->ShowClip(*clip);
    qCDebug(lcApp) << "previewed" << clip->GetPath() << (preview->IsFitToWindow() ? "fitted" : "") << "at zoom"
                   << preview->Zoom();
    if (clip->GetKind() == CClipObj::kVideoFile) {
        m_wndSourcePane->show();
        m_wndSourcePane->raise();  // the front tab, once the capture panes share its group
        CSourceDlg* source = m_wndSourcePane->Dialog();
        source->ShowClip(*clip);
        qCDebug(lcApp) << "source" << source->FileName() << "at frame" << source->CurrentFrame();
    }
}

void CMainFrame::OpenVideo(const QString& path, std::uint32_t frame)
{
    // A library document opened from a file manager: like File > Open, it brings up the library,
    // which lives in the settings rather than in the document.
    if (path.endsWith(QLatin1String(".kvo"), Qt::CaseInsensitive)) {
        OnFileNew();
        BringForward();
        return;
    }
    CSourceDlg* source = m_wndSourcePane->Dialog();
    if (!source->LoadVideo(path, source->Rate(), frame))
        return;
    qCInfo(lcApp) << "opened" << path << "at frame" << source->CurrentFrame();
    // Its keys act at once: the picture takes the focus, its pane in front of the capture panes.
    m_wndSourcePane->show();
    m_wndSourcePane->raise();
    source->FocusPicture();
}

void CMainFrame::ReportProblem(const QString& message)
{
    if (m_closing) {
        // No box while the program ends (a signal may be ending it): the log keeps it.
        qCWarning(lcApp).noquote() << message;
        return;
    }
    statusBar()->showMessage(message);
    if (!m_quiet)
        QMessageBox::warning(this, windowTitle(), message);
}

// A video dropped anywhere opens in the source; the library's own thumbnails carry their image
// files too, and go only where the library's tree takes them.
void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls() && !event->mimeData()->hasFormat(QLatin1String(kClipItemsMimeType)))
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile())
        OpenVideo(urls.first().toLocalFile());
}

CMainFrame::~CMainFrame()
{
    // Focus moves while the children go; the Edit menu must not follow it into a half-destroyed frame.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    StopCapture();
    // The library window goes with the frame's children; its going must not update the menus of
    // a frame that is half destroyed.
    if (m_pLibraryFrame)
        disconnect(m_pLibraryFrame, nullptr, this, nullptr);
}

QAction* CMainFrame::Action(int commandId) const
{
    return m_actions.value(commandId, nullptr);
}

void CMainFrame::FocusNextPane(int direction)
{
    QList<QWidget*> panes;
    if (m_pLibraryFrame)
        panes.append(m_pLibraryFrame);
    QList<QDockWidget*> docks{m_wndSourcePane};
    for (CCamPane* pane : std::as_const(m_wndCamPanes))
        docks.append(pane);
    docks.append(m_wndPreviewPane);
    for (QDockWidget* pane : std::as_const(docks)) {
        if (pane->isVisible())
            panes.append(pane);
    }
    if (panes.isEmpty())
        return;
    qsizetype at = -1;
    for (qsizetype i = 0; i < panes.size(); ++i) {
        if (panes[i]->isAncestorOf(focusWidget()) || panes[i] == focusWidget())
            at = i;
    }
    const qsizetype next = (at + direction + panes.size()) % panes.size();
    panes[next]->setFocus(Qt::ShortcutFocusReason);
    qCDebug(lcApp) << "focus to" << panes[next]->objectName();
}

QAction* CMainFrame::FocusedPaneCommand(int commandId) const
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return nullptr;
    for (QWidget* pane : {static_cast<QWidget*>(m_pLibraryFrame.data()), static_cast<QWidget*>(m_wndSourcePane),
                          static_cast<QWidget*>(m_wndPreviewPane)}) {
        if (pane && (pane == focus || pane->isAncestorOf(focus)))
            return pane->findChild<QAction*>(QStringLiteral("command%1").arg(commandId));
    }
    return nullptr;
}

void CMainFrame::BringForward()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    show();
    raise();
    activateWindow();
}
