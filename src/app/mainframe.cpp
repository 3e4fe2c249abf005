#include "mainframe.h"

#include "clipobj.h"
#include "csourcedlg.h"
#include "csourcepane.h"
#include "logging.h"
#include "resource.h"
#include "setobj.h"

#include <QAction>
#include <QDragEnterEvent>
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
    CreateMenus();
    statusBar()->showMessage(tr("Ready"));

    m_wndSourcePane = new CSourcePane(this);
    addDockWidget(Qt::RightDockWidgetArea, m_wndSourcePane);
    resizeDocks({m_wndSourcePane}, {460}, Qt::Horizontal);
    CSourceDlg* source = m_wndSourcePane->Dialog();
    source->SetClipSink([this](std::unique_ptr<CClipObj> clip) { OnNewClip(std::move(clip)); });
    connect(source, &CSourceDlg::problem, this, &CMainFrame::ReportProblem);
    setAcceptDrops(true);
}

void CMainFrame::OnNewClip(std::unique_ptr<CClipObj> clip)
{
    if (!clip)
        return;
    statusBar()->showMessage(tr("Grabbed %1").arg(clip->GetPath()), 5000);
    g_SetObj.m_pRootNode->AddClip(std::move(clip));
}

void CMainFrame::OpenVideo(const QString& path)
{
    CSourceDlg* source = m_wndSourcePane->Dialog();
    if (source->LoadVideo(path, source->Rate(), 0))
        qCInfo(lcApp) << "opened" << path;
}

void CMainFrame::ReportProblem(const QString& message)
{
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

CMainFrame::~CMainFrame() = default;

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

void CMainFrame::CreateMenus()
{
    QMenu* fileMenu = menuBar()->addMenu(tr(text::kMenuFile));
    QAction* exit = AddCommand(fileMenu, ids::ID_APP_EXIT, tr(text::kExit),
                               tr("Quit the application; the settings and the library are saved"));
    exit->setShortcut(QKeySequence::Quit);
    exit->setMenuRole(QAction::QuitRole);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* helpMenu = menuBar()->addMenu(tr(text::kMenuHelp));
    QAction* about = AddCommand(helpMenu, ids::ID_APP_ABOUT, tr(text::kAbout),
                                tr("Display program information, version number and copyright"));
    about->setMenuRole(QAction::AboutRole);
}

void CMainFrame::BringForward()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    show();
    raise();
    activateWindow();
}
