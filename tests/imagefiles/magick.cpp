#include "magick.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

QByteArray Run(const QString& program, const QStringList& arguments, bool* ok = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000);
    if (ok)
        *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return process.readAllStandardOutput();
}

}  // namespace

bool MagickAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("identify")).isEmpty();
}

QSize MagickSize(const QString& path)
{
    const QList<QByteArray> parts =
        Run(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%w %h"), path}).split(' ');
    return parts.size() == 2 ? QSize(parts[0].toInt(), parts[1].toInt()) : QSize();
}

QString MagickVerbose(const QString& path)
{
    return QString::fromUtf8(Run(QStringLiteral("identify"), {QStringLiteral("-verbose"), path}));
}

QByteArray MagickRgba(const QString& path)
{
    return Run(QStringLiteral("convert"), {path, QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("rgba:-")});
}

bool MagickConvert(const QStringList& arguments)
{
    bool ok = false;
    Run(QStringLiteral("convert"), arguments, &ok);
    return ok;
}
