#include "systeminfo.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

const CSystemInfo g_ExtSysInfo;

namespace {

QString WithTrailingSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

bool IsWritableFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

// QStandardPaths::AppDataLocation needs the application's names, which are not set yet during
// static initialisation; spell out the same folder.
QString PerUserDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Orvel/Kestivo");
}

}  // namespace

QString CSystemInfo::ExecutablePath()
{
    // /proc/self/exe rather than QCoreApplication::applicationFilePath(): this runs before the
    // application object exists.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString CSystemInfo::ExecutableFolder()
{
    return WithTrailingSlash(QFileInfo(ExecutablePath()).absolutePath());
}

QString CSystemInfo::GetExePath() const
{
    const QString home = qEnvironmentVariable("KESTIVO_HOME");
    if (!home.isEmpty())
        return WithTrailingSlash(QDir(home).absolutePath());

    const QString exeFolder = ExecutableFolder();
    if (IsWritableFolder(exeFolder))
        return exeFolder;

    const QString dataFolder = PerUserDataFolder();
    QDir().mkpath(dataFolder);
    return WithTrailingSlash(dataFolder);
}

bool CSystemInfo::IsExistFile(const QString& path) const
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}
