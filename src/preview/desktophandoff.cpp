#include "desktophandoff.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace desktop {

namespace {

// A file manager that is not running is started by the bus first; give that time.
constexpr int kShowItemsTimeoutMs = 10000;

void OpenFolderOf(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

}  // namespace

void ShowInFileManager(const QString& path, QObject* context)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        OpenFolderOf(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kShowItemsTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [path](QDBusPendingCallWatcher* done) {
        if (done->isError())
            OpenFolderOf(path);
        done->deleteLater();
    });
}

std::optional<EditorCommand> FindEditor(const QString& path)
{
    const QStringList command = QProcess::splitCommand(qEnvironmentVariable("KESTIVO_EDITOR"));
    if (!command.isEmpty())
        return EditorCommand{command.first(), command.mid(1) << path, true};
    for (const char* name : {"gimp", "krita", "pinta", "kolourpaint"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty())
            return EditorCommand{program, {path}, false};
    }
    return std::nullopt;
}

QString OpenInEditor(const QString& path)
{
    const std::optional<EditorCommand> editor = FindEditor(path);
    if (editor) {
        if (QProcess::startDetached(editor->program, editor->arguments))
            return {};
        // The user chose this editor; opening something else instead would hide the mistake.
        if (editor->configured)
            return QCoreApplication::translate("CEditDlg", "The editor \"%1\" could not be started").arg(editor->program);
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    return {};
}

}  // namespace desktop
