// Where the program keeps its files, and a file-existence test.
#pragma once

#include <QString>

// Stateless, so that the settings object may use it during static initialisation: a constexpr
// constructor makes g_ExtSysInfo constant-initialised, whatever the order of the translation units.
// Everything here works before a QCoreApplication exists.
class CSystemInfo {
public:
    constexpr CSystemInfo() = default;

    // The folder that holds "Options.dat", always ending in '/': $KESTIVO_HOME when set; else, for
    // an installed program, the per-user data folder; else the executable's folder when it is
    // writable (a portable copy, a build tree), else the per-user data folder.
    QString GetExePath() const { return SettingsFolder(IsInstalled()); }
    // Where grabs go until the user picks another directory: "ImageDir" in the settings folder,
    // except for an installed program without $KESTIVO_HOME: "Kestivo" in the user's Pictures.
    QString GetDefaultImageDir() const { return DefaultImageFolder(IsInstalled()); }

    // True when the running executable is the one installed for the prefix it was built for.
    bool IsInstalled() const;
    // True when executable lies in the bin folder of prefix, where installing puts it. Whoever
    // runs it (root can write anywhere, so a writable folder tells nothing); a build tree or a
    // copy elsewhere is portable, even a build tree inside the prefix.
    static bool IsInstalledAt(const QString& executable, const QString& prefix);
    // The two folders above for an installed program (installed) or a portable copy. The settings
    // folder is created when it is the per-user one; SettingsFolderPath only names it, for readers
    // that must leave nothing behind.
    static QString SettingsFolder(bool installed);
    static QString SettingsFolderPath(bool installed);
    static QString DefaultImageFolder(bool installed);

    // True when a regular file (or a link to one) exists at path.
    bool IsExistFile(const QString& path) const;

    // The folder of the running executable, ending in '/'.
    static QString ExecutableFolder();
    // The full path of the running executable.
    static QString ExecutablePath();
};

extern const CSystemInfo g_ExtSysInfo;
