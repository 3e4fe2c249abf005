// The application object: single-instance start-up, the settings read at start and saved at every
// orderly exit (window closed, Exit, SIGTERM, SIGINT, SIGHUP, even one that comes while the program
// is still starting), and the application commands.
#pragma once

#include <QApplication>
#include <QString>
#include <deque>
#include <memory>

struct CommandLine;
class CInstanceGuard;
class CLibraryJournal;
class CMainFrame;
class CShutdownSignals;

// User-interface thread only; exactly one per process.
class CKestivoApp : public QApplication {
    Q_OBJECT
public:
    CKestivoApp(int& argc, char** argv);
    ~CKestivoApp() override;

    enum class Start {
        Run,          // the main window is shown; run the event loop
        EndQuietly,   // another program runs for this settings folder and was brought forward
        CannotStart,  // the settings folder does not take the lock file; the user was told why
        Quit,         // a signal asked to quit during the start: end now, through ExitInstance
    };
    // commandLine: one to run (ReadCommandLine's Run); its video opens at its frame once the
    // window is there, or is handed to the program already running.
    Start InitInstance(const CommandLine& commandLine);
    // Saves the settings (when they were read at start) and releases the instance; returns the
    // exit code to end the process with: exitCode, or 1 when the settings could not be saved.
    int ExitInstance(int exitCode);

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
    void OnAppAbout();

    // The current look's command id; the looks arrive with the main frame's bars.
    unsigned m_appLook = 0;
    // Always true: panes use the high-colour images of their toolbars.
    const bool m_highColorToolbars = true;

private:
    void ReadSettingsAtStart();
    // Replays a journal left behind by a session that never reached its exit, and keeps a journal
    // of this session's changes of the library from now on.
    void StartJournal();
    void ShowStartupWarning(const QString& message);
    // False when the settings were to be saved and are not, anywhere. Sets m_savedInPlace.
    bool SaveSettingsAtExit();
    void ReportCannotStart(const QString& reason);
    void CreateMainFrame();
    void OnShutdownRequested();
    // Requests of later starts, in order: an empty path only brings the window forward.
    void KeepRequest(const QString& path);
    void ServeRequests();

    QString m_settingsPath;
    bool m_settingsRead = false;   // reached the read of the settings: save them at exit
    bool m_saveBlocked = false;    // an unreadable file could not be kept aside: never overwrite it
    bool m_savedInPlace = false;   // the settings file itself was written at exit
    bool m_quitRequested = false;  // a signal asked to quit; nobody may be there to answer a box
    bool m_serving = false;        // start-up is over: requests of later starts are served
    bool m_servingNow = false;
    std::deque<QString> m_requests;
    QString m_startupWarning;
    std::unique_ptr<CInstanceGuard> m_instance;
    std::unique_ptr<CLibraryJournal> m_journal;  // the library's observer while it is set
    std::unique_ptr<CShutdownSignals> m_signals;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};
