// The settings file "Options.dat": reading it, writing it safely, keeping a damaged one aside.
#pragma once

#include "setobj.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>

// folder (ending in '/') followed directly by "Options.dat".
QString GetSettingsFilePath(const QString& folder);

// Parses the bytes of a settings file into a fresh object (nothing is created on disk). Returns
// null, with the reason, when the bytes are not a complete settings record; every count and size
// is checked against the bytes that remain before anything is allocated for it. Bytes after the
// root folder's record are ignored.
std::unique_ptr<CSetObj> ReadSettings(const QByteArray& bytes, QString* reason = nullptr);
// The bytes of the settings file for settings.
QByteArray WriteSettings(CSetObj& settings);

enum class SettingsLoadStatus {
    Loaded,      // the file was read completely; settings hold its content
    NoFile,      // there is no file; settings are unchanged
    Unreadable,  // the file exists but could not be opened or read to its end; settings unchanged
};
struct SettingsLoadResult {
    SettingsLoadStatus status;
    QString reason;  // for Unreadable: why, readable by a user
};
SettingsLoadResult LoadSettings(const QString& path, CSetObj& settings);

struct SettingsSaveResult {
    bool ok;
    QString reason;  // when !ok: the system's reason, e.g. "No space left on device"
};
// Writes the settings atomically: a temporary file beside path, flushed to disk, then renamed over
// path. On failure the previous file is intact.
SettingsSaveResult SaveSettings(const QString& path, CSetObj& settings);

struct KeepAsideResult {
    bool ok;
    QString copyPath;  // where the original bytes now are (when ok)
    QString reason;    // when !ok
};
// Moves an unreadable settings file out of the way, to "<path>.unreadable-<date-time>" in the same
// folder (a copy when it cannot be renamed), so that the next save does not overwrite it.
KeepAsideResult KeepUnreadableFileAside(const QString& path, const QDateTime& now);
