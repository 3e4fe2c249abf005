// One running program per settings folder: a lock file beside "Options.dat", and a local server
// through which a second start asks the running program to bring its window forward.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

// User-interface thread only.
class CInstanceGuard : public QObject {
    Q_OBJECT
public:
    // folder: the settings folder, ending in '/'.
    explicit CInstanceGuard(const QString& folder, QObject* parent = nullptr);
    ~CInstanceGuard() override;

    enum class Outcome {
        First,         // this program holds the lock and listens for later starts
        AnotherRuns,   // another program holds the lock; it has been asked to come forward
    };
    // Takes the lock, or asks the program that holds it to raise its window (waiting at most
    // about a second and a half for it to answer; no answer changes nothing).
    Outcome Acquire();
    // Stops listening and releases the lock; a later start then runs as the first.
    void Release();

    // The server name for a settings folder: derived from "Orvel Kestivo", the user and the
    // folder, so that programs with different folders do not see each other.
    static QString ServerName(const QString& folder);
    static QString LockFilePath(const QString& folder);

Q_SIGNALS:
    // A second start asked this program to show and activate its window.
    void activationRequested();

private:
    bool Listen();
    void OnNewConnection();
    static bool AskRunningInstanceToActivate(const QString& serverName);

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;  // child of this
};
