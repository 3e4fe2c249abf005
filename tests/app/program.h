// The real program as a separate process, with its own settings folder, for the end-to-end tests.
#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <csignal>

constexpr int kStartTimeoutMs = 60000;  // a sanitizer build of a Qt program starts slowly

class Program {
public:
    // platform: "offscreen", or "xcb" for a run on a real X server.
    explicit Program(const QString& home, const QString& platform = QStringLiteral("offscreen"))
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KESTIVO_HOME"), home);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("kestivo.app.debug=true;kestivo.library.debug=true"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        // Each run indexes its videos afresh rather than find them in another run's cache.
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
        m_process.setProcessEnvironment(env);
        m_process.setProgram(QStringLiteral(KESTIVO_EXE));
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    // For the next Start: name set to value in the program's environment, or taken out of it when
    // value is empty.
    void SetEnvironment(const QString& name, const QString& value)
    {
        QProcessEnvironment env = m_process.processEnvironment();
        if (value.isEmpty())
            env.remove(name);
        else
            env.insert(name, value);
        m_process.setProcessEnvironment(env);
    }
    // For the next Start: another copy of the program.
    void SetExecutable(const QString& path) { m_process.setProgram(path); }

    // workingFolder: where relative arguments are meant; empty for the test's own.
    void Start(const QStringList& arguments = {}, const QString& workingFolder = {})
    {
        m_process.setWorkingDirectory(workingFolder);
        m_process.setArguments(arguments);
        m_process.start();
    }

    // Waits for a line of the program's log that contains text.
    bool WaitForLog(const QString& text, int timeoutMs = kStartTimeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!Log().contains(text)) {
            if (m_process.state() == QProcess::NotRunning || clock.elapsed() > timeoutMs)
                return false;
            m_process.waitForReadyRead(100);
        }
        return true;
    }
    bool WaitUntilReady() { return WaitForLog(QStringLiteral("ready;")); }

    void Signal(int signalNumber) { ::kill(pid_t(m_process.processId()), signalNumber); }

    // The exit code of a normal exit, or -1 for a crash or a time-out.
    int WaitForExit(int timeoutMs = kStartTimeoutMs)
    {
        if (!m_process.waitForFinished(timeoutMs) || m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process.exitCode();
    }

    qint64 Pid() const { return m_process.processId(); }
    bool IsRunning() const { return m_process.state() == QProcess::Running; }
    QString Log()
    {
        m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
        return m_log;
    }
    // What the program wrote on standard output so far.
    QString Output()
    {
        m_output += QString::fromLocal8Bit(m_process.readAllStandardOutput());
        return m_output;
    }

private:
    QProcess m_process;
    QString m_log;
    QString m_output;
};
