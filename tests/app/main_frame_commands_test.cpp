// The frame's menus, Standard toolbar, looks, customisation and small dialogs.
#include "ccamdlg.h"
#include "ccampane.h"
#include "cchildframe.h"
#include "ckestivoview.h"
#include "nodeobj.h"
#include "settingsfile.h"
#include "ceditdlg.h"
#include "ceditpane.h"
#include "cnodetreeview.h"
#include "csourcedlg.h"
#include "csourcepane.h"
#include "ctimecodectrl.h"
#include "mainframe.h"
#include "resource.h"
#include "setobj.h"
#include "toolbarcustomizer.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <QDialog>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QDockWidget>
#include <gtest/gtest.h>
#include <functional>
#include <tuple>
#include <utility>

using namespace kestivo;

namespace {

// Exit's key is the desktop's own (Ctrl+Q on most), so it is left out.
QStringList Labels(const QMenu* menu)
{
    QStringList labels;
    for (const QAction* action : menu->actions()) {
        QString label = action->isSeparator() ? QStringLiteral("-") : action->text();
        if (!action->shortcut().isEmpty() && action->data().toInt() != ids::ID_APP_EXIT)
            label += QLatin1Char('\t') + action->shortcut().toString();
        labels.append(label);
    }
    return labels;
}

QMenu* MenuNamed(const CMainFrame& frame, const QString& objectName)
{
    return frame.findChild<QMenu*>(objectName);
}

QColor WindowColour(const QWidget* widget)
{
    return widget->palette().color(widget->backgroundRole());
}

// Restores the default look, so that other tests see the frame as a first start does.
class FrameCommands : public ::testing::Test {
protected:
    void TearDown() override
    {
        QSettings(QStringLiteral("Orvel"), QStringLiteral("Kestivo")).remove(QStringLiteral("ApplicationLook"));
        QSettings(QStringLiteral("Orvel"), QStringLiteral("Kestivo")).remove(QStringLiteral("Toolbars"));
    }
};

}  // namespace

TEST_F(FrameCommands, MenusHoldTheirItems)
{
    CMainFrame frame;
    EXPECT_EQ(Labels(MenuNamed(frame, QStringLiteral("FileMenuNoLibrary"))),
              QStringList({"&New\tCtrl+N", "&Open...", "&Close", "-", "E&xit"}));
    EXPECT_EQ(Labels(MenuNamed(frame, QStringLiteral("FileMenuLibrary"))), QStringList({"Options", "-", "E&xit"}));
    const QStringList view = Labels(MenuNamed(frame, QStringLiteral("ViewMenu")));
    EXPECT_EQ(view.mid(0, 3), QStringList({"&Toolbars and Docking Windows", "&Status Bar", "&Application Look"}));
    EXPECT_EQ(Labels(MenuNamed(frame, QStringLiteral("LookMenu"))),
              QStringList({"Windows &2000", "Office &XP", "&Windows XP", "Office 200&3", "Visual Studio.NET 200&5",
                           "Office 200&7"}));
    const QMenu* help = frame.menuBar()->actions().last()->menu();
    EXPECT_EQ(Labels(help), QStringList({"&Help Topics\tF1", "-", "&About Kestivo..."}));
    EXPECT_TRUE(frame.Action(ids::ID_VIEW_APPLOOK_DEFAULT)->isChecked()) << "Office 2003 is the first look";
    EXPECT_EQ(frame.Action(ids::ID_CONTEXT_HELP)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("For Help, press F1"));
    frame.statusBar()->showMessage(QStringLiteral("Grabbed"), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.statusBar()->currentMessage() == QLatin1String("For Help, press F1"); }));
}

TEST_F(FrameCommands, StandardToolBarAndLayoutButton)
{
    CMainFrame frame;
    const QList<QAction*> buttons = frame.StandardToolBar()->actions();
    ASSERT_EQ(buttons.size(), 5);
    EXPECT_EQ(buttons[0]->data().toInt(), ids::ID_LAYOUT_BUTTON);
    EXPECT_EQ(buttons[1], frame.Action(ids::ID_OPTIONS));
    EXPECT_TRUE(buttons[2]->isSeparator());
    EXPECT_EQ(buttons[3], frame.Action(ids::ID_APP_ABOUT));
    EXPECT_EQ(buttons[4], frame.Action(ids::ID_HELP_FINDER));
    EXPECT_EQ(frame.LayoutCmd(), ids::ID_LAYOUT_UPLEFT);
    EXPECT_TRUE(frame.Action(ids::ID_LAYOUT_UPLEFT)->isChecked());

    frame.Action(ids::ID_LAYOUT_DOWNRIGHT)->trigger();
    EXPECT_EQ(frame.LayoutCmd(), ids::ID_LAYOUT_DOWNRIGHT);
    EXPECT_EQ(buttons[0]->text(), QStringLiteral("Source Pane: DownRight"));
    EXPECT_EQ(buttons[0]->icon().pixmap(24).toImage(), frame.Action(ids::ID_LAYOUT_DOWNRIGHT)->icon().pixmap(24).toImage());
    EXPECT_TRUE(frame.Action(ids::ID_LAYOUT_DOWNRIGHT)->isChecked());
    EXPECT_FALSE(frame.Action(ids::ID_LAYOUT_UPLEFT)->isChecked());
}

// The dark look paints the program's own panes and is the look of the next start.
TEST_F(FrameCommands, LookBlackColoursThePanesAndIsKept)
{
    const QColor grey(0x8D, 0x8D, 0x8D);
    {
        CMainFrame frame;
        frame.OnFileNew();
        frame.Action(216)->trigger();
        EXPECT_EQ(g_SetObj.m_backColor, 0x8D8D8Du);
        EXPECT_EQ(WindowColour(frame.SourcePane()->Dialog()), grey);
        EXPECT_EQ(WindowColour(frame.SourcePane()->Dialog()->Timecode()), grey);
        frame.PreviewPane()->Dialog()->viewport()->resize(40, 40);
        EXPECT_EQ(frame.PreviewPane()->Dialog()->viewport()->grab().toImage().pixelColor(5, 5), grey);
        EXPECT_EQ(frame.LibraryFrame()->TreeView()->palette().color(QPalette::Base), grey);
        EXPECT_TRUE(frame.Action(216)->isChecked());
    }
    CMainFrame restarted;
    EXPECT_EQ(restarted.ApplicationLook(), 216);
    EXPECT_TRUE(restarted.Action(216)->isChecked());
    EXPECT_EQ(WindowColour(restarted.SourcePane()->Dialog()), grey);
    restarted.Action(ids::ID_VIEW_APPLOOK_DEFAULT)->trigger();
}

TEST_F(FrameCommands, CustomizedToolBarsAreKeptAndReset)
{
    {
        CMainFrame frame;
        QAction* options = frame.Action(ids::ID_OPTIONS);
        frame.Customizer()->SetShown(frame.StandardToolBar(), options, false);
        EXPECT_FALSE(frame.StandardToolBar()->actions().contains(options));
        EXPECT_TRUE(MenuNamed(frame, QStringLiteral("FileMenuLibrary"))->actions().contains(options)) << "the menu keeps it";
        frame.Customizer()->SetShown(frame.StandardToolBar(), frame.Action(ids::ID_APP_ABOUT), false);
        frame.Customizer()->SetShown(frame.StandardToolBar(), frame.Action(ids::ID_HELP_FINDER), false);
        EXPECT_EQ(frame.StandardToolBar()->actions().size(), 1) << "no separator is left dangling";
    }
    CMainFrame restarted;
    EXPECT_EQ(restarted.StandardToolBar()->actions().size(), 1);
    restarted.Customizer()->Reset();
    EXPECT_EQ(restarted.StandardToolBar()->actions().size(), 5);
}

TEST_F(FrameCommands, HelpTopicsOpensTheGuideAndWindowsListsTheLibrary)
{
    CMainFrame frame;
    frame.SetQuiet(true);
    frame.Action(ids::ID_HELP_FINDER)->trigger();
    QWidget* help = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("HelpWindow") && w->isVisible())
            help = w;
    }
    ASSERT_NE(help, nullptr);
    help->close();

    frame.OnFileNew();
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog && dialog->objectName() == QLatin1String("WindowsDlg"));
        EXPECT_EQ(dialog->findChild<QListWidget*>()->count(), 1);
        dialog->findChild<QPushButton*>(QStringLiteral("CloseWindow"))->click();
        EXPECT_EQ(dialog->findChild<QListWidget*>()->count(), 0);
        dialog->reject();
    });
    frame.Action(ids::ID_WINDOW_MANAGER)->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.LibraryFrame() == nullptr; }));
}

// Options decides the type of the next grab, and the exit's save keeps what was chosen.
TEST_F(FrameCommands, OptionsSetTheNextGrabAndAreSaved)
{
    QTemporaryDir images;
    g_SetObj.m_imageDir = images.path();
    g_SetObj.m_imageType = 7;  // as a damaged or newer settings file may hold
    qputenv("KESTIVO_TEST_CHANNELS", "Cam=videotestsrc is-live=true");
    CMainFrame frame;
    qunsetenv("KESTIVO_TEST_CHANNELS");
    frame.SetQuiet(true);
    frame.OnFileNew();
    auto runOptions = [&](int pick) {
        QTimer::singleShot(0, [pick] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog && dialog->objectName() == QLatin1String("OptionsDlg"));
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("ImageType"));
            if (pick < 0)
                EXPECT_EQ(types->currentIndex(), -1) << "a type it does not know shows no entry";
            else
                types->setCurrentIndex(pick);
            dialog->accept();
        });
        frame.Action(ids::ID_OPTIONS)->trigger();
    };
    CCamDlg* channel = frame.CamPanes().value(0)->Dialog();
    channel->Preview();
    for (const auto& [pick, stored, extension] : {std::tuple{-1, -1, ".bmp"}, std::tuple{2, 2, ".png"}}) {
        runOptions(pick);
        EXPECT_EQ(g_SetObj.m_imageType, stored);
        const std::size_t before = frame.LibraryFrame()->View()->Folder()->GetClipList().GetCount();
        channel->GrabImage();
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame.LibraryFrame()->View()->Folder()->GetClipList().GetCount() > before; }, 10000));
        EXPECT_TRUE(frame.LibraryFrame()->View()->Folder()->GetClipList().GetAt(before)->GetPath().endsWith(QLatin1String(extension)));
    }
    const QString file = images.filePath(QStringLiteral("Options.dat"));
    ASSERT_TRUE(SaveSettings(file, g_SetObj).ok);
    CSetObj saved;
    ASSERT_EQ(LoadSettings(file, saved).status, SettingsLoadStatus::Loaded);
    EXPECT_EQ(saved.m_imageDir, images.path());
    EXPECT_EQ(saved.m_imageType, 2);
    frame.StopCapture();
    g_SetObj.m_pRootNode->GetClipList().DeleteAll();
}

// The View menu's list is made again at every opening; Customize... survives it.
TEST_F(FrameCommands, PanesMenuListsPanesAndToolBarsEveryTime)
{
    CMainFrame frame;
    QMenu* panes = MenuNamed(frame, QStringLiteral("PanesMenu"));
    for (int opening = 0; opening < 2; ++opening) {
        Q_EMIT panes->aboutToShow();
        const QStringList labels = Labels(panes);
        EXPECT_TRUE(labels.contains(QStringLiteral("Soure Pane")));
        EXPECT_TRUE(labels.contains(QStringLiteral("Standard")));
        EXPECT_EQ(labels.last(), QStringLiteral("Customize..."));
    }
}

// A screen reader names each command's button after the command and reads its prompt: also the
// buttons Customize... makes afresh, and the layout button after its command changed its text.
TEST_F(FrameCommands, EveryCommandButtonHasItsCommandsAccessibleName)
{
    qputenv("KESTIVO_TEST_CHANNELS", "Cam=videotestsrc is-live=true");
    CMainFrame frame;
    qunsetenv("KESTIVO_TEST_CHANNELS");
    frame.OnFileNew();
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"as made", [] {}},
        {"after Customize...", [&] {
             frame.Customizer()->SetShown(frame.StandardToolBar(), frame.Action(ids::ID_OPTIONS), false);
             frame.Customizer()->Reset();
         }},
        {"after another layout", [&] { frame.Action(ids::ID_LAYOUT_DOWNRIGHT)->trigger(); }},
    };
    for (const auto& [when, change] : changes) {
        change();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the buttons made before
        int buttons = 0;
        for (const QToolButton* button : frame.findChildren<QToolButton*>()) {
            const QAction* action = button->defaultAction();
            if (!action)
                continue;
            ++buttons;
            const std::string command = when + (": " + action->objectName().toStdString());
            EXPECT_FALSE(button->accessibleName().isEmpty()) << command;
            EXPECT_EQ(button->accessibleName(), action->iconText()) << command;
            EXPECT_EQ(button->accessibleDescription(), action->statusTip()) << command;
        }
        EXPECT_EQ(buttons, 4 + 2 + 17 + 6 + 6 + 5) << when << ": Standard, Capture, the three panes, the library";
    }
    for (const QDockWidget* pane : frame.findChildren<QDockWidget*>())
        EXPECT_EQ(pane->accessibleName(), pane->windowTitle());
    frame.StopCapture();
}

// Tab goes through a pane's toolbar and then its controls top to bottom, also after Customize...
// made the buttons again: that is how a command without a key (Delete Folder) is reached.
TEST_F(FrameCommands, TabGoesThroughEachPanesToolbarThenItsControls)
{
    CMainFrame frame;
    frame.OnFileNew();
    CSourceDlg* source = frame.SourcePane()->Dialog();
    CChildFrame* library = frame.LibraryFrame();
    const std::pair<QToolBar*, QList<QWidget*>> panes[] = {
        {frame.SourcePane()->ToolBar(), {source, source->Slider()}},
        {frame.PreviewPane()->ToolBar(), {frame.PreviewPane()->Dialog()}},
        {library->ToolBar(), {library->TreeView(), library->View()}},
    };
    for (const bool customized : {false, true}) {
        if (customized) {
            frame.Customizer()->Reset();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        for (const auto& [toolBar, controls] : panes) {
            QList<QWidget*> expected;
            for (QAction* action : toolBar->actions()) {
                if (!action->isSeparator())
                    expected.append(toolBar->widgetForAction(action));
            }
            expected += controls;
            QList<QWidget*> stops;
            QWidget* w = expected.first();
            for (int i = 0; i < 1000 && stops.size() < expected.size(); ++i, w = w->nextInFocusChain()) {
                if (w->focusPolicy() & Qt::TabFocus)
                    stops.append(w);
            }
            EXPECT_EQ(stops, expected) << toolBar->objectName().toStdString() << (customized ? " after Customize..." : "");
        }
    }
}
