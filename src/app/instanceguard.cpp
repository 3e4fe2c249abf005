#include "instanceguard.h"

#include "logging.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <unistd.h>

namespace {

const QByteArray kActivateRequest = "activate\n";
const QByteArray kActivateReply = "ok\n";
constexpr int kAnswerWaitMs = 1500;

}  // namespace

CInstanceGuard::CInstanceGuard(const QString& folder, QObject* parent)
    : QObject(parent), m_folder(folder)
{
}

CInstanceGuard::~CInstanceGuard()
{
    Release();
}

QString CInstanceGuard::LockFilePath(const QString& folder)
{
    return folder + QStringLiteral("Kestivo.lock");
}

QString CInstanceGuard::ServerName(const QString& folder)
{
    const QString canonical = QDir(folder).canonicalPath();
    const QByteArray hash = QCryptographicHash::hash(
        (canonical.isEmpty() ? folder : canonical).toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("Orvel Kestivo-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash.toHex().left(16)));
}

CInstanceGuard::Outcome CInstanceGuard::Acquire()
{
    QDir().mkpath(m_folder);
    m_lock = std::make_unique<QLockFile>(LockFilePath(m_folder));
    // The lock is held for the whole run, so it must never go stale by age; a crashed holder is
    // still recognised by its process id.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        if (!Listen())
            qCWarning(lcApp) << "cannot listen for later starts:" << ServerName(m_folder);
        return Outcome::First;
    }
    m_lock.reset();
    qCInfo(lcApp) << "Kestivo already runs for" << m_folder << "- bringing it forward";
    if (!AskRunningInstanceToActivate(ServerName(m_folder)))
        qCInfo(lcApp) << "the running program did not answer";
    return Outcome::AnotherRuns;
}

void CInstanceGuard::Release()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

bool CInstanceGuard::Listen()
{
    const QString name = ServerName(m_folder);
    // We hold the lock, so a socket of that name is left over from a crashed run.
    QLocalServer::removeServer(name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CInstanceGuard::OnNewConnection);
    return m_server->listen(name);
}

void CInstanceGuard::OnNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == kActivateRequest) {
                qCDebug(lcApp) << "activation requested by a second start";
                Q_EMIT activationRequested();
                socket->write(kActivateReply);
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}

bool CInstanceGuard::AskRunningInstanceToActivate(const QString& serverName)
{
    // The running program may be between taking the lock and listening: retry until the deadline.
    QDeadlineTimer deadline(kAnswerWaitMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverName);
        if (socket.waitForConnected(int(deadline.remainingTime()))) {
            socket.write(kActivateRequest);
            if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
                return false;
            while (!socket.canReadLine() && socket.waitForReadyRead(int(deadline.remainingTime()))) {
            }
            return socket.canReadLine() && socket.readLine() == kActivateReply;
        }
        QThread::msleep(50);
    }
    return false;
}
