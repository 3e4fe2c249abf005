#include "instanceguard.h"

#include "logging.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QThread>
#include <cerrno>
#include <system_error>
#include <unistd.h>

namespace {

// One request a line: "activate", or "open " and the path in UTF-8 with '%', CR and LF written
// as %25, %0D and %0A (a file name may hold a line break). Each is answered "ok".
const QByteArray kActivateRequest = "activate\n";
const QByteArray kOpenRequest = "open ";
const QByteArray kReply = "ok\n";
constexpr int kAnswerWaitMs = 1500;
constexpr qint64 kMaxRequestBytes = 64 * 1024;
// A lock file nobody can read the holder from is left alone this long: its maker may be
// between creating it and writing into it.
constexpr qint64 kUnreadableLockAgeMs = 2000;

QByteArray OpenRequest(const QString& path)
{
    QByteArray encoded = path.toUtf8();
    encoded.replace('%', "%25").replace('\r', "%0D").replace('\n', "%0A");
    return kOpenRequest + encoded + '\n';
}

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

CInstanceGuard::Outcome CInstanceGuard::Acquire(const QString& videoToOpen)
{
    if (TryLock()) {
        if (Listen())
            qCDebug(lcApp) << "lock taken; listening for later starts";
        else
            qCWarning(lcApp) << "cannot listen for later starts:" << ServerName(m_folder);
        return Outcome::First;
    }
    if (!m_reason.isEmpty())
        return Outcome::CannotLock;
    qCInfo(lcApp) << "Kestivo already runs for" << m_folder << "- bringing it forward";
    const QByteArray request = videoToOpen.isEmpty() ? kActivateRequest : OpenRequest(videoToOpen);
    if (!AskRunningInstance(ServerName(m_folder), request))
        qCInfo(lcApp) << "the running program did not answer";
    return Outcome::AnotherRuns;
}

bool CInstanceGuard::TryLock()
{
    m_reason.clear();
    QDir().mkpath(m_folder);
    m_lock = std::make_unique<QLockFile>(LockFilePath(m_folder));
    // The lock is held for the whole run, so it must never go stale by age. A holder that crashed
    // is still recognised, by a process id that is gone, and its lock is taken over.
    m_lock->setStaleLockTime(0);
    bool locked = m_lock->tryLock(0);
    int error = errno;  // what the failed create or write of the file said
    if (!locked && m_lock->error() == QLockFile::LockFailedError) {
        // A lock file without a readable holder (cut short by a crash or a full disk) would
        // otherwise keep every later start out for good. Qt removes it only when no process
        // holds its native lock.
        qint64 pid = 0;
        QString host, application;
        const QFileInfo file(LockFilePath(m_folder));
        if (!m_lock->getLockInfo(&pid, &host, &application)
            && file.lastModified().msecsTo(QDateTime::currentDateTime()) > kUnreadableLockAgeMs
            && m_lock->removeStaleLockFile()) {
            qCWarning(lcApp) << "removed a lock file without a holder:" << file.filePath();
            locked = m_lock->tryLock(0);
            error = errno;
        }
    }
    if (locked)
        return true;
    if (m_lock->error() != QLockFile::LockFailedError) {
        // Not another program: the folder does not take the file. Saying "already running" would
        // leave the user waiting for a window that never comes.
        const QString why = error != 0 && error != EEXIST ? QString::fromStdString(std::generic_category().message(error))
                                                          : tr("the file could not be made");
        m_reason = tr("The lock file \"%1\" cannot be made in the settings folder: %2.")
                       .arg(QDir::toNativeSeparators(LockFilePath(m_folder)), why);
    }
    m_lock.reset();
    return false;
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
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadRequests(socket); });
        // A second start that gave up waiting may have written and gone before this program got
        // round to it: what it wrote is already here.
        ReadRequests(socket);
    }
}

void CInstanceGuard::ReadRequests(QLocalSocket* socket)
{
    // What a request sets off may run an event loop in which the socket goes (its client gone).
    const QPointer<QLocalSocket> alive(socket);
    while (alive && socket->canReadLine()) {
        const QByteArray line = socket->readLine();
        const bool open = line.startsWith(kOpenRequest) && line.endsWith('\n');
        if (line != kActivateRequest && !open) {
            socket->abort();
            return;
        }
        // Answered first: the second start is waiting to end.
        socket->write(kReply);
        socket->flush();
        if (open) {
            const QString path = QString::fromUtf8(
                QByteArray::fromPercentEncoding(line.mid(kOpenRequest.size()).chopped(1)));
            qCInfo(lcApp) << "open requested by a second start:" << path;
            Q_EMIT openRequested(path);
        } else {
            qCDebug(lcApp) << "activation requested by a second start";
            Q_EMIT activationRequested();
        }
    }
    if (alive && socket->bytesAvailable() > kMaxRequestBytes)
        socket->abort();
}

bool CInstanceGuard::AskRunningInstance(const QString& serverName, const QByteArray& request)
{
    // The running program may be between taking the lock and listening: retry until the deadline.
    QDeadlineTimer deadline(kAnswerWaitMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverName);
        if (socket.waitForConnected(int(deadline.remainingTime()))) {
            socket.write(request);
            if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
                return false;
            while (!socket.canReadLine() && socket.waitForReadyRead(int(deadline.remainingTime()))) {
            }
            return socket.canReadLine() && socket.readLine() == kReply;
        }
        QThread::msleep(50);
    }
    return false;
}
