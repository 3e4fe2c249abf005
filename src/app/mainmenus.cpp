// The frame's menus, the Standard and Capture toolbars and the frame-wide keys.
#include "applooks.h"
#include "ccampane.h"
#include "ceditpane.h"
#include "commandaction.h"
#include "icons.h"
#include "csourcepane.h"
#include "mainframe.h"
#include "panelayouts.h"
#include "resource.h"
#include "toolbarcustomizer.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWhatsThis>

using namespace kestivo;

QAction* CMainFrame::AddCommand(QMenu* menu, int commandId, const QString& label, const QString& tip)
{
    auto* action = menu->addAction(label);
    action->setObjectName(QStringLiteral("command%1").arg(commandId));
    action->setData(commandId);
    action->setStatusTip(tip);
    action->setToolTip(tip);
    action->setWhatsThis(tip);
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
    // No Ctrl+O here: it opens a video in the source pane, and one key must not mean two things.
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
                                  tr("Set the image directory and the image type of grabs"));
    options->setIcon(KestivoIcon(QStringLiteral("options")));
    connect(options, &QAction::triggered, this, &CMainFrame::OnOptions);
    m_fileMenuLibrary->addSeparator();
    m_fileMenuLibrary->addAction(exit);

    CreateEditMenu();
    CreateViewMenu();
    CreateCaptureMenu();
    CreateHelpMenu();
}

// Cut, Copy and Paste act in the pane with the focus: each pane that can has a command of the same
// id that owns the key, and the menu hands the command on to it. The menu shows the keys, but they
// work only while the menu itself has the focus: a window-wide Ctrl+C beside a pane's Ctrl+C would
// be two commands on one key, and Qt fires neither of two such.
void CMainFrame::CreateEditMenu()
{
    QMenu* editMenu = menuBar()->addMenu(tr("&Edit"));
    editMenu->setObjectName(QStringLiteral("EditMenu"));
    const struct {
        int id;
        const char* label;
        const char* tip;
        QKeySequence::StandardKey key;
    } commands[] = {
        {ids::ID_EDIT_CUT, QT_TR_NOOP("Cu&t"), QT_TR_NOOP("Cut the selected images of the library, to move them to another folder"),
         QKeySequence::Cut},
        {ids::ID_EDIT_COPY, QT_TR_NOOP("&Copy"),
         QT_TR_NOOP("Copy the frame of the source, the selected images of the library or the picture of the preview"),
         QKeySequence::Copy},
        {ids::ID_EDIT_PASTE, QT_TR_NOOP("&Paste"),
         QT_TR_NOOP("Move the cut images, or add the copied ones, to the library's selected folder"), QKeySequence::Paste},
    };
    for (const auto& command : commands) {
        QAction* action = AddCommand(editMenu, command.id, tr(command.label), tr(command.tip));
        action->setShortcut(QKeySequence(command.key));
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [this, id = command.id] {
            if (QAction* command = FocusedPaneCommand(id); command && command->isEnabled())
                command->trigger();
        });
    }
    connect(editMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateEditCommands);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::UpdateEditCommands);
    UpdateEditCommands();
}

void CMainFrame::UpdateEditCommands()
{
    for (const int id : {ids::ID_EDIT_CUT, ids::ID_EDIT_COPY, ids::ID_EDIT_PASTE}) {
        const QAction* command = FocusedPaneCommand(id);
        Action(id)->setEnabled(command && command->isEnabled());
    }
}

void CMainFrame::CreateViewMenu()
{
    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    viewMenu->setObjectName(QStringLiteral("ViewMenu"));
    // A pane closed by its button comes back from here; the window state keeps it closed otherwise.
    m_panesMenu = viewMenu->addMenu(tr("&Toolbars and Docking Windows"));
    m_panesMenu->setObjectName(QStringLiteral("PanesMenu"));
    connect(m_panesMenu, &QMenu::aboutToShow, this, &CMainFrame::FillPanesMenu);
    // The frame owns it: the list is cleared each time it opens, and a menu deletes what it owns.
    auto* customize = new QAction(tr(text::kCustomize), this);
    customize->setObjectName(QStringLiteral("command%1").arg(ids::ID_VIEW_CUSTOMIZE));
    customize->setData(ids::ID_VIEW_CUSTOMIZE);
    customize->setStatusTip(tr("Choose the commands the toolbars show"));
    customize->setWhatsThis(customize->statusTip());
    m_actions.insert(ids::ID_VIEW_CUSTOMIZE, customize);
    connect(customize, &QAction::triggered, this, &CMainFrame::OnViewCustomize);
    QAction* statusBarShown = AddCommand(viewMenu, ids::ID_VIEW_STATUS_BAR, tr("&Status Bar"), tr("Show or hide the status bar"));
    statusBarShown->setCheckable(true);
    statusBarShown->setChecked(true);
    connect(statusBarShown, &QAction::toggled, statusBar(), &QWidget::setVisible);
    CreateLookMenu(viewMenu->addMenu(tr("&Application Look")));
    // The layouts are also on the Standard toolbar's first button; here they are a key press away.
    viewMenu->addMenu(m_layoutMenu);
    viewMenu->addSeparator();
    connect(AddCommand(viewMenu, ids::ID_WINDOW_MANAGER, tr(text::kWindows), tr("Activate or close the open library windows")),
            &QAction::triggered, this, &CMainFrame::OnWindowManager);
}

// The panes and toolbars with their check marks, then "Customize...": the View menu's list, made
// afresh each time it opens, since capture panes go at shutdown and toolbars may be added.
void CMainFrame::FillPanesMenu()
{
    m_panesMenu->clear();
    for (QDockWidget* pane : findChildren<QDockWidget*>(QString(), Qt::FindDirectChildrenOnly))
        m_panesMenu->addAction(pane->toggleViewAction());
    m_panesMenu->addSeparator();
    for (QToolBar* toolBar : findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly))
        m_panesMenu->addAction(toolBar->toggleViewAction());
    m_panesMenu->addSeparator();
    m_panesMenu->addAction(Action(ids::ID_VIEW_CUSTOMIZE));
}

// A right click on a bar: the same list as the View menu's.
QMenu* CMainFrame::createPopupMenu()
{
    QMenu* menu = QMainWindow::createPopupMenu();
    if (!menu)
        menu = new QMenu(this);
    menu->addSeparator();
    menu->addAction(Action(ids::ID_VIEW_CUSTOMIZE));
    return menu;
}

// Nine looks, five in the menu itself and four under "Office 200&7", one of them checked.
void CMainFrame::CreateLookMenu(QMenu* lookMenu)
{
    lookMenu->setObjectName(QStringLiteral("LookMenu"));
    auto* group = new QActionGroup(this);
    QMenu* office2007 = nullptr;
    for (const applook::Look& look : applook::All()) {
        QMenu* menu = lookMenu;
        if (look.inOffice2007Submenu) {
            if (!office2007)
                office2007 = lookMenu->addMenu(tr("Office 200&7"));
            menu = office2007;
        }
        QAction* action = AddCommand(menu, look.id, tr(look.label), tr("Change the look of the program"));
        action->setCheckable(true);
        action->setChecked(look.id == m_appLook);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, id = look.id] { OnApplicationLook(id); });
    }
}

void CMainFrame::CreateHelpMenu()
{
    QMenu* helpMenu = menuBar()->addMenu(tr(text::kMenuHelp));
    QAction* topics = AddCommand(helpMenu, ids::ID_HELP_FINDER, tr(text::kHelpTopics),
                                 tr("Read the user guide: the panes, the road of a grab, the keys"));
    topics->setShortcut(QKeySequence::HelpContents);
    topics->setShortcutContext(Qt::ApplicationShortcut);
    topics->setIcon(KestivoIcon(QStringLiteral("help")));
    connect(topics, &QAction::triggered, this, &CMainFrame::OnHelpTopics);
    helpMenu->addSeparator();
    QAction* about = AddCommand(helpMenu, ids::ID_APP_ABOUT, tr(text::kAbout),
                                tr("Display program information, version number and copyright"));
    about->setIcon(KestivoIcon(QStringLiteral("about")));
    about->setMenuRole(QAction::AboutRole);

    // Shift+F1: the next click on a command tells what it does instead of doing it.
    QAction* whatsThis = QWhatsThis::createAction(this);
    whatsThis->setObjectName(QStringLiteral("command%1").arg(ids::ID_CONTEXT_HELP));
    whatsThis->setShortcut(Qt::SHIFT | Qt::Key_F1);
    addAction(whatsThis);
    m_actions.insert(ids::ID_CONTEXT_HELP, whatsThis);
}

// The four layouts, in the menu "Format" of the layout button, whose image is the current layout's.
void CMainFrame::CreateLayoutMenu()
{
    m_layoutMenu = new QMenu(tr("Pane &Layout"), this);
    m_layoutMenu->setObjectName(QStringLiteral("FormatMenu"));
    auto* group = new QActionGroup(this);
    for (const panelayout::Layout& layout : panelayout::All()) {
        QAction* action = AddCommand(m_layoutMenu, layout.id, tr(layout.label), tr("Put the panes in this layout"));
        action->setIcon(KestivoIcon(QString::fromLatin1(layout.icon)));
        action->setCheckable(true);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, id = layout.id] { OnLayout(id); });
    }
    m_layoutButton = new QAction(this);
    m_layoutButton->setObjectName(QStringLiteral("command%1").arg(ids::ID_LAYOUT_BUTTON));
    m_layoutButton->setData(ids::ID_LAYOUT_BUTTON);
    m_layoutButton->setMenu(m_layoutMenu);
    m_layoutButton->setStatusTip(tr("Put the panes in the current layout again, or choose another"));
    m_layoutButton->setWhatsThis(m_layoutButton->statusTip());
    connect(m_layoutButton, &QAction::triggered, this, [this] { OnLayout(m_layoutCmd); });
    m_actions.insert(ids::ID_LAYOUT_BUTTON, m_layoutButton);
}

// The layout button, Options, About and Help Topics.
void CMainFrame::CreateStandardToolBar()
{
    m_wndToolBar = addToolBar(tr(text::kStandard));
    m_wndToolBar->setObjectName(QStringLiteral("StandardToolBar"));
    m_wndToolBar->setWindowTitle(tr(text::kStandard));
    m_wndToolBar->addAction(m_layoutButton);
    m_wndToolBar->addAction(Action(ids::ID_OPTIONS));
    m_wndToolBar->addSeparator();
    m_wndToolBar->addAction(Action(ids::ID_APP_ABOUT));
    m_wndToolBar->addAction(Action(ids::ID_HELP_FINDER));
    NameToolBarButtons(m_wndToolBar);
    UpdateLayoutButton();
}

// Grab All Channels: one press grabs the next frame of every channel that is previewing; Grab All
// Channels Every... does so at intervals until pressed again. Their keys are window-wide, unlike the
// panes' own G and T.
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
    NameToolBarButtons(toolBar);
    connect(grabAll, &QAction::triggered, this, &CMainFrame::OnGrabAllChannels);
    m_actions.insert(ids::ID_GRAB_ALL_CHANNELS, grabAll);
    QAction* grabAllEvery = MakeCommandAction(
        this, ids::ID_GRAB_ALL_CHANNELS_EVERY, "graballevery",
        tr("Grab an image from every channel that is previewing at regular intervals; again to stop"),
        tr("Grab All Channels Every..."), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T)});
    grabAllEvery->setShortcutContext(Qt::WindowShortcut);
    grabAllEvery->setCheckable(true);
    addAction(grabAllEvery);
    toolBar->addAction(grabAllEvery);
    connect(grabAllEvery, &QAction::triggered, this, &CMainFrame::OnGrabAllChannelsEvery);
    m_actions.insert(ids::ID_GRAB_ALL_CHANNELS_EVERY, grabAllEvery);
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

void CMainFrame::UpdateLayoutButton()
{
    const panelayout::Layout& layout = panelayout::For(m_layoutCmd);
    m_layoutButton->setIcon(KestivoIcon(QString::fromLatin1(layout.icon)));
    m_layoutButton->setText(tr(layout.label));
    m_layoutButton->setToolTip(tr(layout.label));
    if (QAction* checked = Action(layout.id))
        checked->setChecked(true);
}
