#include "imagefileremoval.h"

#include <QDir>
#include <QFile>
#include <unistd.h>

bool DeleteImageFile(const QString& path)
{
    if (path.isEmpty() || QDir::isRelativePath(path))
        return false;
    // unlink(2) removes a name: a link is removed rather than followed, and a directory is
    // refused with EISDIR, with no window between a check and the removal.
    return ::unlink(QFile::encodeName(path).constData()) == 0;
}
