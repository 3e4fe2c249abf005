// Where the program keeps its files, and a file-existence test.
#pragma once

#include <QString>

// Stateless, so that the settings object may use it during static initialisation: a constexpr
// constructor makes g_ExtSysInfo constant-initialised, whatever the order of the translation units.
class CSystemInfo {
public:
    constexpr CSystemInfo() = default;

    // The folder that holds "Options.dat" and the default image directory, always ending in '/':
    // $KESTIVO_HOME when set, else the executable's folder when it is writable (a portable copy, a
    // build tree), else the per-user data folder. Works before a QCoreApplication exists.
    QString GetExePath() const;

    // True when a regular file (or a link to one) exists at path.
    bool IsExistFile(const QString& path) const;

    // The folder of the running executable, ending in '/'.
    static QString ExecutableFolder();
    // The full path of the running executable.
    static QString ExecutablePath();
};

extern const CSystemInfo g_ExtSysInfo;
