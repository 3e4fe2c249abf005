#include "kestivoapp.h"

#include "about.h"
#include "instanceguard.h"
#include "logging.h"
#include "helpwindow.h"
#include "mainframe.h"
#include "resource.h"
#include "settingsfile.h"
#include "shutdownsignals.h"
#include "systeminfo.h"

#include <QAction>
#include <QDateTime>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTimer>

using namespace kestivo;

namespace {

const QString kProfileWindowState = QStringLiteral("MainFrame/State");

QSettings Profile()
{
    return QSettings(QString::fromLatin1(text::kOrganisation), QString::fromLatin1(text::kAppName));
}

}  // namespace

CKestivoApp::CKestivoApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromLatin1(text::kAppName));
    setOrganizationName(QString::fromLatin1(text::kOrganisation));
    setApplicationVersion(QStringLiteral(KESTIVO_VERSION));
}

CKestivoApp::~CKestivoApp() = default;

CKestivoApp::Start CKestivoApp::InitInstance()
{
    const QString folder = g_ExtSysInfo.GetExePath();
    m_instance = std::make_unique<CInstanceGuard>(folder);
    if (m_instance->Acquire() == CInstanceGuard::Outcome::AnotherRuns)
        return Start::EndQuietly;

    m_signals = std::make_unique<CShutdownSignals>();
    connect(m_signals.get(), &CShutdownSignals::shutdownRequested, this, &QCoreApplication::quit);

    m_settingsPath = GetSettingsFilePath(folder);
    setOverrideCursor(Qt::WaitCursor);
    ReadSettingsAtStart();
    CreateMainFrame();
    m_pMainFrame->OnFileNew();  // the library window, as a new document opens it
    restoreOverrideCursor();

    if (!m_startupWarning.isEmpty())
        ShowStartupWarning(m_startupWarning);
    // A video named on the command line opens in the source, as Open would.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty())
        m_pMainFrame->OpenVideo(arguments.first());
    qCInfo(lcApp) << "ready; settings file" << m_settingsPath;
    return Start::Run;
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

void CKestivoApp::CreateMainFrame()
{
    m_pMainFrame = std::make_unique<CMainFrame>();
    connect(m_pMainFrame->Action(ids::ID_APP_ABOUT), &QAction::triggered, this, &CKestivoApp::OnAppAbout);
    connect(m_instance.get(), &CInstanceGuard::activationRequested, m_pMainFrame.get(),
            &CMainFrame::BringForward);
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
        // A grab being written now reaches the library before the library is saved.
        m_pMainFrame->StopCapture();
    }
    SaveSettingsAtExit();
    // Released only after the save, so that a new start reads the file just written.
    if (m_instance)
        m_instance->Release();
    m_pMainFrame.reset();
    return exitCode;
}

void CKestivoApp::SaveSettingsAtExit()
{
    if (!m_settingsRead || m_saveBlocked)
        return;
    const SettingsSaveResult result = SaveSettings(m_settingsPath, g_SetObj);
    if (result.ok) {
        qCDebug(lcApp) << "settings saved to" << m_settingsPath;
        return;
    }
    ReportError(tr("The settings and the library could not be saved to \"%1\": %2.\n\n"
                   "The previous settings file, if any, is unchanged.")
                    .arg(m_settingsPath, result.reason));
}

void CKestivoApp::ReportError(const QString& message)
{
    qCCritical(lcApp).noquote() << message;
    // After a signal nobody may be there to answer a box (a logout, a kill): the log must do.
    if (m_signals && m_signals->Received())
        return;
    QMessageBox::critical(nullptr, applicationName(), message);
}

void CKestivoApp::OnAppAbout()
{
    OrvelAbout(CSystemInfo::ExecutablePath(), g_SetObj.m_backColor, 0, m_pMainFrame.get(), AboutDetailsText());
}
