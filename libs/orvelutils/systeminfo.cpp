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

// The real path of an existing file or folder; the cleaned path of one that does not exist.
QString CanonicalPath(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

// create: make the per-user folder when it is the one.
QString SettingsFolderOf(bool installed, bool create)
{
    const QString home = qEnvironmentVariable("KESTIVO_HOME");
    if (!home.isEmpty())
        return WithTrailingSlash(QDir(home).absolutePath());

    if (!installed) {
        const QString exeFolder = CSystemInfo::ExecutableFolder();
        if (IsWritableFolder(exeFolder))
            return exeFolder;
    }
    const QString dataFolder = PerUserDataFolder();
    if (create)
        QDir().mkpath(dataFolder);
    return WithTrailingSlash(dataFolder);
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

bool CSystemInfo::IsInstalled() const
{
    return IsInstalledAt(ExecutablePath(), QStringLiteral(KESTIVO_INSTALL_PREFIX));
}

bool CSystemInfo::IsInstalledAt(const QString& executable, const QString& prefix)
{
    // An empty prefix would make "/bin" the installed place of every program.
    if (executable.isEmpty() || prefix.isEmpty())
        return false;
    // Canonical on both sides: the prefix may be reached through a link (/usr/local -> /opt/local),
    // while the kernel names the executable by its real path.
    return CanonicalPath(QFileInfo(executable).absolutePath()) == CanonicalPath(prefix + QStringLiteral("/bin"));
}

QString CSystemInfo::SettingsFolder(bool installed)
{
    return SettingsFolderOf(installed, true);
}

QString CSystemInfo::SettingsFolderPath(bool installed)
{
    return SettingsFolderOf(installed, false);
}

QString CSystemInfo::DefaultImageFolder(bool installed)
{
    if (installed && qEnvironmentVariableIsEmpty("KESTIVO_HOME")) {
        // From $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Pictures: environment and files only, so
        // it is right during static initialisation too.
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (!pictures.isEmpty())
            return pictures + QStringLiteral("/Kestivo");
    }
    return SettingsFolderPath(installed) + QStringLiteral("ImageDir");
}

bool CSystemInfo::IsExistFile(const QString& path) const
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}
