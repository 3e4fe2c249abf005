#include "settingsfile.h"

#include "archive.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

SettingsSaveResult SaveSettings(const QString& path, CSetObj& settings)
{
    const QByteArray bytes = WriteSettings(settings);
    // QSaveFile writes a temporary file in the same folder, syncs it to disk on commit and only
    // then renames it over the old file, so a crash or a full disk leaves the old file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {false, reason};
    }
    if (!file.commit())
        return {false, file.errorString()};
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
