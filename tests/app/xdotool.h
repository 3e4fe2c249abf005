// Key presses and window focus in a real X server, through the xdotool program, for the tests that
// drive the real program as a user would.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>

// Runs xdotool; its trimmed output in output. False when it failed or took over a minute.
inline bool Xdotool(const QStringList& arguments, QString* output = nullptr)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return false;
    if (output)
        *output = QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
    return true;
}

// One key at a time, as a person types; the program logs what each led to.
inline void Keys(const QStringList& keys)
{
    for (const QString& key : keys) {
        Xdotool({QStringLiteral("key"), key});
        QThread::msleep(150);
    }
}

// The first visible window whose name matches the pattern (of process pid when it is not 0),
// given the focus. Its id, or an empty string when there is none.
inline QString FocusWindow(const QString& namePattern, qint64 pid = 0)
{
    QStringList search = {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible")};
    if (pid != 0)
        search << QStringLiteral("--pid") << QString::number(pid);
    search << QStringLiteral("--name") << namePattern;
    QString windows;
    if (!Xdotool(search, &windows))
        return {};
    const QString window = windows.split(QLatin1Char('\n')).first();
    return Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}) ? window : QString();
}
