// Handing an image file to the desktop: showing it in the file manager, opening it in an editor.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QObject;

// User-interface thread only. Nothing here waits for the program it starts.
namespace desktop {

// Asks the desktop's file manager to show path selected (the FileManager1 service on the session
// bus). When there is no session bus, or no file manager answers, the file's folder is opened
// with the desktop's default application instead. Returns at once; the answer is awaited only
// while context lives. When nothing could show the file, failed gets a message for the user,
// later or at once.
void ShowInFileManager(const QString& path, QObject* context, std::function<void(const QString&)> failed);

struct EditorCommand {
    QString program;
    QStringList arguments;  // path is the last one
    bool configured = false;  // named by $KESTIVO_EDITOR
};

// The editor for path: the command in $KESTIVO_EDITOR (split like a shell line), else the first of
// GIMP, Krita, Pinta and KolourPaint found on the PATH; nothing when neither is there.
std::optional<EditorCommand> FindEditor(const QString& path);

// Starts FindEditor's editor detached, or without one (or when it fails) the desktop's application
// for the file. Returns a message for the user when the editor named by $KESTIVO_EDITOR could not
// be started, or when nothing could open the file; else an empty string.
QString OpenInEditor(const QString& path);

}  // namespace desktop
