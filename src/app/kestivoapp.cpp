#include "kestivoapp.h"

#include "about.h"
#include "commandline.h"
#include "instanceguard.h"
#include "libraryjournal.h"
#include "logging.h"
#include "helpwindow.h"
#include "mainframe.h"
#include "resource.h"
#include "savefailure.h"
#include "settingsfile.h"
#include "shutdownsignals.h"
#include "systeminfo.h"
#include "profile.h"

#include <QAction>
#include <QDateTime>
#include <QIcon>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSettings>
#include <QTimer>

using namespace kestivo;

namespace {

const QString kProfileWindowState = QStringLiteral("MainFrame/State");

using kestivo::Profile;

}  // namespace

CKestivoApp::CKestivoApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromLatin1(text::kAppName));
    setOrganizationName(QString::fromLatin1(text::kOrganisation));
    setApplicationVersion(QStringLiteral(KESTIVO_VERSION));
    setWindowIcon(QIcon(QStringLiteral(":/icons/kestivo.svg")));
    // Lets docks and task bars match the window to its menu entry.
    setDesktopFileName(QStringLiteral("org.orvel.Kestivo"));
}

CKestivoApp::~CKestivoApp() = default;

CKestivoApp::Start CKestivoApp::InitInstance(const CommandLine& commandLine)
{
    // First of all: a signal at any moment of the start ends the program the orderly way.
    m_signals = std::make_unique<CShutdownSignals>();
    connect(m_signals.get(), &CShutdownSignals::shutdownRequested, this, &CKestivoApp::OnShutdownRequested);

    // A video named on the command line opens in the source, as Open would. It was made absolute
    // in this start's working folder, which a running program does not share.
    const QString& video = commandLine.video;
    for (const QString& ignored : commandLine.ignored)
        qCWarning(lcApp).noquote() << tr("Only the first video named is opened; \"%1\" is ignored.").arg(ignored);

    // Before anything else of the start, as if the settings object had made it: a second start
    // makes it too.
    CSetObj::CreateDefaultImageDir();
    const QString folder = g_ExtSysInfo.GetExePath();
    m_instance = std::make_unique<CInstanceGuard>(folder);
    switch (m_instance->Acquire(video)) {
    case CInstanceGuard::Outcome::AnotherRuns:
        if (!video.isEmpty() && commandLine.frame)
            qCInfo(lcApp) << "the running program opens" << video << "at its first frame";
        return Start::EndQuietly;
    case CInstanceGuard::Outcome::CannotLock:
        ReportCannotStart(m_instance->Reason());
        return Start::CannotStart;
    case CInstanceGuard::Outcome::First:
        break;
    }
    // Kept until the window exists and the start is over, then served in order.
    connect(m_instance.get(), &CInstanceGuard::activationRequested, this, [this] { KeepRequest({}); });
    connect(m_instance.get(), &CInstanceGuard::openRequested, this, &CKestivoApp::KeepRequest);

    m_settingsPath = GetSettingsFilePath(folder);
    setOverrideCursor(Qt::WaitCursor);
    ReadSettingsAtStart();
    StartJournal();
    CreateMainFrame();
    m_pMainFrame->OnFileNew();  // the library window, as a new document opens it
    restoreOverrideCursor();

    if (!m_startupWarning.isEmpty())
        ShowStartupWarning(m_startupWarning);
    // The last session's folder and tree width, and its video unless another one is named.
    if (!m_quitRequested)
        m_pMainFrame->RestoreWorkspace(video.isEmpty());
    if (!video.isEmpty() && !m_quitRequested) {
        qCInfo(lcApp) << "opening" << video << "named on the command line";
        m_pMainFrame->OpenVideo(video, commandLine.frame.value_or(0));
    }
    // The indexing's progress and a message box run event loops of their own, where a signal is
    // seen before the main loop runs: quit() would be lost then.
    if (m_quitRequested) {
        qCInfo(lcApp) << "quitting before the start was over, as asked";
        return Start::Quit;
    }
    m_serving = true;
    QTimer::singleShot(0, this, &CKestivoApp::ServeRequests);
    qCInfo(lcApp) << "ready; settings file" << m_settingsPath;
    return Start::Run;
}

void CKestivoApp::ReportCannotStart(const QString& reason)
{
    const QString message = tr("Kestivo cannot start. %1").arg(reason);
    qCCritical(lcApp).noquote() << message;
    // Without a display nobody could answer the box, and the program would never end.
    const QString platform = platformName();
    if (!m_quitRequested && platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        QMessageBox::critical(nullptr, applicationName(), message);
}

void CKestivoApp::OnShutdownRequested()
{
    m_quitRequested = true;
    // Nobody may be there to answer (a logout, a kill): no more boxes, and whatever waits in a
    // loop of its own is ended, so that the start or the save at exit runs to its end. An
    // indexing cancelled here leaves the source as it was.
    if (m_pMainFrame)
        m_pMainFrame->SetQuiet(true);
    const QWidgetList windows = topLevelWidgets();
    for (QWidget* window : windows) {
        if (auto* progress = qobject_cast<QProgressDialog*>(window))
            progress->cancel();
        else if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
            dialog->reject();
    }
    quit();
}

void CKestivoApp::KeepRequest(const QString& path)
{
    m_requests.push_back(path);
    // Not from within the socket's signal: opening a video runs an event loop of its own.
    QTimer::singleShot(0, this, &CKestivoApp::ServeRequests);
}

void CKestivoApp::ServeRequests()
{
    if (!m_serving || m_servingNow || m_quitRequested || !m_pMainFrame)
        return;
    // An open while another video is being indexed would be turned away by the source: wait.
    if (!m_pMainFrame->findChildren<QProgressDialog*>().isEmpty()) {
        QTimer::singleShot(200, this, &CKestivoApp::ServeRequests);
        return;
    }
    const QScopedValueRollback serving(m_servingNow, true);
    while (!m_requests.empty() && !m_quitRequested) {
        const QString path = m_requests.front();
        m_requests.pop_front();
        m_pMainFrame->BringForward();
        if (!path.isEmpty())
            m_pMainFrame->OpenVideo(path);
    }
}

void CKestivoApp::ReadSettingsAtStart()
{
    m_settingsRead = true;
    const SettingsLoadResult result = LoadSettings(m_settingsPath, g_SetObj);
    if (result.status != SettingsLoadStatus::Unreadable)
        return;

    // Starting with the defaults is fine, overwriting the user's library with them at exit is
    // not: move the file out of the way first, and never save over it when that fails.
    const KeepAsideResult aside = KeepUnreadableFileAside(m_settingsPath, QDateTime::currentDateTime());
    if (aside.ok) {
        m_startupWarning = tr("The settings file \"%1\" could not be read: %2.\n\n"
                              "Kestivo starts with the default settings and an empty library. "
                              "The unreadable file was kept as \"%3\".")
                               .arg(m_settingsPath, result.reason, aside.copyPath);
    } else {
        m_saveBlocked = true;
        m_startupWarning = tr("The settings file \"%1\" could not be read: %2.\n\n"
                              "It could not be kept aside either (%3), so Kestivo will not save "
                              "its settings in this session, to leave the file as it is.")
                               .arg(m_settingsPath, result.reason, aside.reason);
    }
    qCWarning(lcApp).noquote() << m_startupWarning;
}

// Replayed onto the library in memory and kept, not folded into "Options.dat" at once: the file is
// written whole at the orderly exit anyway, a large library would make the start after a crash
// wait for that write, and a failed write would need the journal kept all the same. A second crash
// replays the same journal (with what this session adds) onto the same file.
void CKestivoApp::StartJournal()
{
    if (m_saveBlocked)
        return;  // nothing is written in this session; a journal left behind stays as it is
    LibraryJournalStart start = StartLibraryJournal(m_settingsPath, *g_SetObj.m_pRootNode);
    if (!start.journal) {
        qCWarning(lcApp).noquote() << tr("The library's changes are kept only at exit: its journal \"%1\" cannot be "
                                         "written (%2).")
                                          .arg(GetJournalPath(m_settingsPath), start.reason);
        return;
    }
    m_journal = std::move(start.journal);
    g_SetObj.m_pRootNode->SetObserver(m_journal.get());
}

void CKestivoApp::CreateMainFrame()
{
    m_pMainFrame = std::make_unique<CMainFrame>();
    connect(m_pMainFrame->Action(ids::ID_APP_ABOUT), &QAction::triggered, this, &CKestivoApp::OnAppAbout);
    m_pMainFrame->RestoreWindowState(Profile().value(kProfileWindowState).toByteArray());
    // Always maximised, whatever the launcher asked for. The geometry covers the screen first
    // for a desktop without a window manager, where maximising does nothing.
    if (const QScreen* screen = m_pMainFrame->screen())
        m_pMainFrame->setGeometry(screen->availableGeometry());
    m_pMainFrame->showMaximized();
}

void CKestivoApp::ShowStartupWarning(const QString& message)
{
    // Not modal to the application: the program is usable at once, and an orderly exit (say a
    // SIGTERM) is not held up by an unanswered box.
    auto* box = new QMessageBox(QMessageBox::Warning, applicationName(), message, QMessageBox::Ok,
                                m_pMainFrame.get());
    box->setObjectName(QStringLiteral("StartupWarning"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

int CKestivoApp::ExitInstance(int exitCode)
{
    if (m_pMainFrame) {
        Profile().setValue(kProfileWindowState, m_pMainFrame->saveState());
        m_pMainFrame->SaveWorkspace();
        // A grab being written now reaches the library before the library is saved.
        m_pMainFrame->StopCapture();
    }
    const bool saved = SaveSettingsAtExit();
    if (m_journal) {
        g_SetObj.m_pRootNode->SetObserver(nullptr);
        // Saved elsewhere or not at all, the journal keeps the session's changes for the next
        // start, which replays them onto the settings file still in place.
        if (m_savedInPlace)
            m_journal->Remove();
        m_journal.reset();
    }
    // Released only after the save, so that a new start reads the file just written.
    if (m_instance)
        m_instance->Release();
    m_pMainFrame.reset();
    return saved || exitCode != 0 ? exitCode : 1;
}

bool CKestivoApp::SaveSettingsAtExit()
{
    if (!m_settingsRead || m_saveBlocked)
        return true;
    if (m_quitRequested) {
        // After a signal nobody may be there to answer a box: one try, and the log must do.
        const SettingsSaveResult result = SaveSettings(m_settingsPath, g_SetObj);
        m_savedInPlace = result.ok;
        if (!result.ok)
            qCCritical(lcApp).noquote() << SaveFailedMessage(m_settingsPath, result.reason);
        else
            qCDebug(lcApp) << "settings saved to" << m_settingsPath;
        return result.ok;
    }
    SaveFailureUi ui = SaveFailureDialogs(nullptr);
    // A signal while the box is up (a logout) quits without saving rather than wait for an answer.
    ui.ask = [this, ask = ui.ask](const QString& message) {
        const SaveFailureAnswer answer = m_quitRequested ? SaveFailureAnswer::QuitWithoutSaving : ask(message);
        return m_quitRequested ? SaveFailureAnswer::QuitWithoutSaving : answer;
    };
    const SaveAtExitOutcome outcome = SaveSettingsOrAsk(m_settingsPath, g_SetObj, ui);
    m_savedInPlace = outcome.saved && outcome.savedTo == m_settingsPath;
    if (outcome.saved)
        qCDebug(lcApp) << "settings saved to" << outcome.savedTo;
    return outcome.saved;
}

void CKestivoApp::OnAppAbout()
{
    OrvelAbout(CSystemInfo::ExecutablePath(), g_SetObj.m_backColor, 0, m_pMainFrame.get(), AboutDetailsText());
}
