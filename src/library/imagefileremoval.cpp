#include "imagefileremoval.h"

#include "librarylog.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

bool DeleteImageFile(const QString& path)
{
    if (path.isEmpty() || QDir::isRelativePath(path))
        return false;
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::lstat(name.constData(), &status) != 0 || !(S_ISREG(status.st_mode) || S_ISLNK(status.st_mode)))
        return false;
    // The trash takes the name by rename(2), which neither follows a link nor copies across
    // file systems; where that is impossible (no trash there, no room for its records) the file
    // is removed as before.
    if (QFile::moveToTrash(path)) {
        qCDebug(lcLibrary) << "moved to the trash:" << path;
        return true;
    }
    // unlink(2) removes a name: a link is removed rather than followed, and a directory is
    // refused with EISDIR, should one have taken the file's place since the check.
    return ::unlink(name.constData()) == 0;
}
