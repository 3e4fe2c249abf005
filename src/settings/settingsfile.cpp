#include "settingsfile.h"

#include "archive.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

QString GetSettingsFilePath(const QString& folder)
{
    return folder + QStringLiteral("Options.dat");
}

std::unique_ptr<CSetObj> ReadSettings(const QByteArray& bytes, QString* reason)
{
    auto settings = std::make_unique<CSetObj>(CSetObj::InMemoryTag{});
    CArchive ar = CArchive::ForLoading(bytes);
    try {
        settings->Serialize(ar);
    } catch (const CArchiveError& error) {
        if (reason) {
            *reason = QStringLiteral("%1 (at byte %2 of %3)")
                          .arg(QString::fromUtf8(error.what()))
                          .arg(ar.Position())
                          .arg(bytes.size());
        }
        return nullptr;
    }
    return settings;
}

QByteArray WriteSettings(CSetObj& settings)
{
    CArchive ar = CArchive::ForStoring();
    settings.Serialize(ar);
    return ar.StoredBytes();
}

SettingsLoadResult LoadSettings(const QString& path, CSetObj& settings)
{
    QFile file(path);
    if (!file.exists())
        return {SettingsLoadStatus::NoFile, {}};
    if (!file.open(QIODevice::ReadOnly))
        return {SettingsLoadStatus::Unreadable, file.errorString()};

    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {SettingsLoadStatus::Unreadable, file.errorString()};

    QString reason;
    std::unique_ptr<CSetObj> loaded = ReadSettings(bytes, &reason);
    if (!loaded)
        return {SettingsLoadStatus::Unreadable, reason};
    settings = std::move(*loaded);
    return {SettingsLoadStatus::Loaded, {}};
}

namespace {

// The system's words for errno (say "No space left on device"), where QSaveFile would only say
// "Unknown error" after a failed flush.
QString SystemReason(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

bool WriteWhole(int fd, const QByteArray& bytes)
{
    const char* next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}

}  // namespace

SettingsSaveResult SaveSettings(const QString& path, CSetObj& settings)
{
    const QByteArray bytes = WriteSettings(settings);
    // A link named as the settings file keeps pointing where it pointed: the file it names is
    // replaced, not the link.
    const QFileInfo info(path);
    const QString finalPath = info.isSymLink() && !info.canonicalFilePath().isEmpty() ? info.canonicalFilePath() : path;
    const QByteArray target = QFile::encodeName(finalPath);

    // A temporary file in the same folder, written and synced to disk, then renamed over the old
    // file: a crash or a full disk leaves the old file whole. Created with 0666 so that the umask
    // gives it the permissions of any new file; an existing file's permissions are kept.
    int fd = -1;
    QByteArray temporary;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = target + ".tmp-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return {false, SystemReason(errno)};

    struct stat old = {};
    bool ok = true;
    if (::stat(target.constData(), &old) == 0)
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && WriteWhole(fd, bytes) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.constData(), target.constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.constData());
        return {false, SystemReason(error)};
    }
    // The rename itself reaches the disk with the folder's entry; failing that is no reason to
    // call the save failed, the file is complete either way.
    const QByteArray folder = QFile::encodeName(QFileInfo(finalPath).absolutePath());
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return {true, {}};
}

namespace {

QString FreeAsidePath(const QString& path, const QDateTime& now)
{
    const QString base = path + QStringLiteral(".unreadable-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = base;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = base + QStringLiteral("-%1").arg(n);
    return candidate;
}

}  // namespace

KeepAsideResult KeepUnreadableFileAside(const QString& path, const QDateTime& now)
{
    const QString aside = FreeAsidePath(path, now);
    if (QFile::rename(path, aside))
        return {true, aside, {}};
    QFile original(path);
    if (original.copy(aside))
        return {true, aside, {}};
    return {false, {}, original.errorString()};
}
