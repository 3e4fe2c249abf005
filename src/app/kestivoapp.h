// The application object: single-instance start-up, the settings read at start and saved at every
// orderly exit (window closed, Exit, SIGTERM, SIGINT, SIGHUP), and the application commands.
#pragma once

#include <QApplication>
#include <QString>
#include <memory>

class CInstanceGuard;
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
    };
    Start InitInstance();
    // Saves the settings (when they were read at start) and releases the instance; returns the
    // exit code to end the process with.
    int ExitInstance(int exitCode);

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
    void OnAppAbout();

    // The current look's command id; the looks arrive with the main frame's bars.
    unsigned m_appLook = 0;
    // Always true: panes use the high-colour images of their toolbars.
    const bool m_highColorToolbars = true;

private:
    void ReadSettingsAtStart();
    void ShowStartupWarning(const QString& message);
    void SaveSettingsAtExit();
    void ReportError(const QString& message);
    void CreateMainFrame();

    QString m_settingsPath;
    bool m_settingsRead = false;   // reached the read of the settings: save them at exit
    bool m_saveBlocked = false;    // an unreadable file could not be kept aside: never overwrite it
    QString m_startupWarning;
    std::unique_ptr<CInstanceGuard> m_instance;
    std::unique_ptr<CShutdownSignals> m_signals;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};
