#include "mainframe.h"

#include "ccamdlg.h"
#include "ccampane.h"
#include "ccapbase.h"
#include "cchildframe.h"
#include "ceditdlg.h"
#include "ceditpane.h"
#include "clipobj.h"
#include "commandaction.h"
#include "csourcedlg.h"
#include "csourcepane.h"
#include "logging.h"
#include "resource.h"
#include "setobj.h"

#include <QAction>
#include <QApplication>
#include <QToolBar>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QMessageBox>
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
    statusBar()->showMessage(tr("Ready"));
    CreateDockingWindows();
    CreateMenus();
    CreatePaneKeys();
    setAcceptDrops(true);
    UpdateMenus();
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
    m_wndPreviewPane->Dialog()->SetBackColor(g_SetObj.m_backColor);
    connect(m_wndPreviewPane->Dialog(), &CEditDlg::problem, this, &CMainFrame::ReportProblem);
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
    const int count = std::min(m_pCapBase->GetChanCount(), ids::kMaxCamPanes);
    QDockWidget* previous = m_wndSourcePane;
    for (int channel = 0; channel < count; ++channel) {
        auto* pane = new CCamPane(m_pCapBase.get(), channel, this);
        CCamDlg* dialog = pane->Dialog();
        dialog->SetBackColor(g_SetObj.m_backColor);
        dialog->SetClipSink([this](std::unique_ptr<CClipObj> clip) { OnNewClip(std::move(clip)); });
        connect(dialog, &CCamDlg::problem, this, &CMainFrame::ReportProblem);
        connect(dialog, &CCamDlg::status, this, [this](const QString& message) { statusBar()->showMessage(message, 5000); });
        connect(dialog, &CCamDlg::stateChanged, this, &CMainFrame::UpdateCaptureCommands);
        tabifyDockWidget(previous, pane);
        previous = pane;
        m_wndCamPanes.append(pane);
    }
    if (!m_wndCamPanes.isEmpty())
        m_wndCamPanes.last()->raise();
    qCInfo(lcApp) << m_pCapBase->GetChanCount() << "capture channels," << count << "with panes";
}

void CMainFrame::OnGrabAllChannels()
{
    for (CCamPane* pane : std::as_const(m_wndCamPanes)) {
        if (!pane->Dialog()->IsStopped())
            pane->Dialog()->GrabImage();
    }
}

void CMainFrame::UpdateCaptureCommands()
{
    const bool previewing = std::any_of(m_wndCamPanes.cbegin(), m_wndCamPanes.cend(),
                                        [](const CCamPane* pane) { return !pane->Dialog()->IsStopped(); });
    if (QAction* grabAll = Action(ids::ID_GRAB_ALL_CHANNELS))
        grabAll->setEnabled(previewing);
}

void CMainFrame::StopCapture()
{
    m_closing = true;
    for (CCamPane* pane : std::as_const(m_wndCamPanes)) {
        disconnect(pane->Dialog(), &CCamDlg::stateChanged, this, nullptr);
        pane->Dialog()->Shutdown();
    }
    qDeleteAll(m_wndCamPanes);
    m_wndCamPanes.clear();
    m_pCapBase.reset();
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
    m_mdiArea->addSubWindow(frame);
    frame->showMaximized();
    frame->setFocus();  // the grid, where the arrows move through the grabs
    m_pLibraryFrame = frame;
    connect(frame, &CChildFrame::previewClip, this, &CMainFrame::OnPreviewClip);
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
        g_SetObj.m_pRootNode->AddClip(std::move(clip));
        return;
    }
    if (!m_pLibraryFrame)
        OnFileNew();
    m_pLibraryFrame->AddImage(std::move(clip));
}

void CMainFrame::OnPreviewClip(CClipObj* library)
{
    if (!library)
        return;
    // Opening another video lets events through while it indexes; the library's item may be
    // gone by the time the preview wants it, so both work from a copy.
    const std::unique_ptr<CClipObj> clip = library->Clone();
    if (clip->GetKind() == CClipObj::kVideoFile) {
        m_wndSourcePane->show();
        m_wndSourcePane->raise();  // the front tab, once the capture panes share its group
        CSourceDlg* source = m_wndSourcePane->Dialog();
        source->ShowClip(*clip);
        qCDebug(lcApp) << "source" << source->FileName() << "at frame" << source->CurrentFrame();
    }
    m_wndPreviewPane->show();
    CEditDlg* preview = m_wndPreviewPane->Dialog();
    preview->ShowClip(*clip);
    qCDebug(lcApp) << "previewed" << clip->GetPath() << (preview->IsFitToWindow() ? "fitted" : "") << "at zoom"
                   << preview->Zoom();
}

void CMainFrame::OpenVideo(const QString& path)
{
    CSourceDlg* source = m_wndSourcePane->Dialog();
    if (source->LoadVideo(path, source->Rate(), 0))
        qCInfo(lcApp) << "opened" << path;
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

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
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

QAction* CMainFrame::AddCommand(QMenu* menu, int commandId, const QString& label, const QString& tip)
{
    auto* action = menu->addAction(label);
    action->setObjectName(QStringLiteral("command%1").arg(commandId));
    action->setData(commandId);
    action->setStatusTip(tip);
    action->setToolTip(tip);
    m_actions.insert(commandId, action);
    return action;
}

// Two File menus, as the program has always had: one while no library window is open, one while
// it is; UpdateMenus shows the right one.
void CMainFrame::CreateMenus()
{
    QMenu* fileMenu = m_fileMenuNoLibrary = menuBar()->addMenu(tr(text::kMenuFile));
    fileMenu->setObjectName(QStringLiteral("FileMenuNoLibrary"));
    QAction* newLibrary = AddCommand(fileMenu, ids::ID_FILE_NEW, tr("&New"), tr("Open the image library window"));
    newLibrary->setShortcut(QKeySequence::New);
    connect(newLibrary, &QAction::triggered, this, &CMainFrame::OnFileNew);
    connect(AddCommand(fileMenu, ids::ID_FILE_OPEN, tr("&Open..."), tr("Open the image library window from a Kestivo file")),
            &QAction::triggered, this, &CMainFrame::OnFileOpen);
    connect(AddCommand(fileMenu, ids::ID_FILE_CLOSE, tr("&Close"), tr("Close the image library window")),
            &QAction::triggered, this, &CMainFrame::OnFileClose);
    fileMenu->addSeparator();
    QAction* exit = AddCommand(fileMenu, ids::ID_APP_EXIT, tr(text::kExit),
                               tr("Quit the application; the settings and the library are saved"));
    exit->setShortcut(QKeySequence::Quit);
    exit->setMenuRole(QAction::QuitRole);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    m_fileMenuLibrary = menuBar()->addMenu(tr(text::kMenuFile));
    m_fileMenuLibrary->setObjectName(QStringLiteral("FileMenuLibrary"));
    QAction* options = AddCommand(m_fileMenuLibrary, ids::ID_OPTIONS, tr("Options"),
                                  tr("Change the image directory, the image type and the background colour"));
    options->setEnabled(false);  // the options dialog is not there yet
    m_fileMenuLibrary->addSeparator();
    m_fileMenuLibrary->addAction(exit);

    // A pane closed by its button comes back from here; the window state keeps it closed otherwise.
    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    QMenu* panes = viewMenu->addMenu(tr("&Toolbars and Docking Windows"));
    panes->addAction(m_wndSourcePane->toggleViewAction());
    panes->addAction(m_wndPreviewPane->toggleViewAction());
    for (CCamPane* pane : std::as_const(m_wndCamPanes))
        panes->addAction(pane->toggleViewAction());
    QAction* statusBarShown = AddCommand(viewMenu, ids::ID_VIEW_STATUS_BAR, tr("&Status Bar"), tr("Show or hide the status bar"));
    statusBarShown->setCheckable(true);
    statusBarShown->setChecked(true);
    connect(statusBarShown, &QAction::toggled, statusBar(), &QWidget::setVisible);

    CreateCaptureToolBar();

    QMenu* helpMenu = menuBar()->addMenu(tr(text::kMenuHelp));
    QAction* about = AddCommand(helpMenu, ids::ID_APP_ABOUT, tr(text::kAbout),
                                tr("Display program information, version number and copyright"));
    about->setMenuRole(QAction::AboutRole);
}

// Grab All Channels: one press grabs the next frame of every channel that is previewing. Its key
// is window-wide, unlike the panes' own G.
void CMainFrame::CreateCaptureToolBar()
{
    if (m_wndCamPanes.isEmpty())
        return;
    QToolBar* toolBar = addToolBar(tr("Capture"));
    toolBar->setObjectName(QStringLiteral("CaptureToolBar"));
    QAction* grabAll = MakeCommandAction(this, ids::ID_GRAB_ALL_CHANNELS, "graball",
                                         tr("Grab an image from every channel that is previewing"),
                                         tr("Grab All Channels"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G)});
    grabAll->setShortcutContext(Qt::WindowShortcut);
    addAction(grabAll);
    toolBar->addAction(grabAll);
    connect(grabAll, &QAction::triggered, this, &CMainFrame::OnGrabAllChannels);
    m_actions.insert(ids::ID_GRAB_ALL_CHANNELS, grabAll);
    UpdateCaptureCommands();
}

// F6 and Shift+F6 move the keyboard focus between the library window and the panes.
void CMainFrame::CreatePaneKeys()
{
    auto add = [this](int id, const QKeySequence& key, int direction) {
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("command%1").arg(id));
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, [this, direction] { FocusNextPane(direction); });
        addAction(action);
        m_actions.insert(id, action);
    };
    add(ids::ID_NEXT_PANE, Qt::Key_F6, 1);
    add(ids::ID_PREV_PANE, Qt::SHIFT | Qt::Key_F6, -1);
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

void CMainFrame::BringForward()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    show();
    raise();
    activateWindow();
}
