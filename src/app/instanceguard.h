// One running program per settings folder: a lock file beside "Options.dat", and a local server
// through which a second start asks the running program to bring its window forward, or to open
// the video it was started with.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;
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
        CannotLock,    // the lock file cannot be made (folder read-only, full, missing): see Reason
    };
    // Takes the lock, or asks the program that holds it to raise its window, or to open
    // videoToOpen (an absolute path) when it is not empty (waiting at most about a second and a
    // half for it to answer; a request written before that is still read when it gets round to it).
    // A lock whose holder is gone (crashed, killed) is taken over.
    Outcome Acquire(const QString& videoToOpen = {});
    // For CannotLock: why, with the system's reason.
    QString Reason() const { return m_reason; }
    // Stops listening and releases the lock; a later start then runs as the first.
    void Release();

    // The server name for a settings folder: derived from "Orvel Kestivo", the user and the
    // folder, so that programs with different folders do not see each other.
    static QString ServerName(const QString& folder);
    static QString LockFilePath(const QString& folder);

Q_SIGNALS:
    // A second start asked this program to show and activate its window.
    void activationRequested();
    // A second start asked this program to open a video (an absolute path) and come forward.
    void openRequested(const QString& path);

private:
    bool TryLock();
    bool Listen();
    void OnNewConnection();
    void ReadRequests(QLocalSocket* socket);
    static bool AskRunningInstance(const QString& serverName, const QByteArray& request);

    QString m_folder;
    QString m_reason;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;  // child of this
};
