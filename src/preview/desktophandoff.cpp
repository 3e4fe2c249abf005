#include "desktophandoff.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace desktop {

namespace {

// A file manager that is not running is started by the bus first; give that time.
constexpr int kShowItemsTimeoutMs = 10000;

QString Tr(const char* text)
{
    return QCoreApplication::translate("CEditDlg", text);
}

// Qt only logs it when the desktop has no application for a URL; the user has to hear it too.
void OpenFolderOf(const QString& path, const std::function<void(const QString&)>& failed)
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath())) && failed)
        failed(Tr("\"%1\" could not be shown: no file manager could be started").arg(QDir::toNativeSeparators(path)));
}

}  // namespace

void ShowInFileManager(const QString& path, QObject* context, std::function<void(const QString&)> failed)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        OpenFolderOf(path, failed);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kShowItemsTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [path, failed = std::move(failed)](QDBusPendingCallWatcher* done) {
        if (done->isError())
            OpenFolderOf(path, failed);
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
            return Tr("The editor \"%1\" could not be started").arg(editor->program);
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return Tr("\"%1\" could not be opened: no image editor could be started").arg(QDir::toNativeSeparators(path));
    return {};
}

}  // namespace desktop
