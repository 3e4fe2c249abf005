#include "mainframe.h"

#include "resource.h"

#include <QAction>
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
