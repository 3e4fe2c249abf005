#include "grabcommand.h"

#include "commandline.h"
#include "framefiles.h"
#include "settingsfile.h"
#include "systeminfo.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

extern "C" {
#include <libavutil/log.h>
}

namespace {

// The type a grab in the program would be written in: the settings file's, or the defaults' when
// there is none or it cannot be read (the program would start with those). Only read: keeping a
// damaged file aside is the program's business, and the folder is not created to look in it.
std::int32_t SettingsImageType()
{
    const QString path = GetSettingsFilePath(CSystemInfo::SettingsFolderPath(g_ExtSysInfo.IsInstalled()));
    CSetObj settings(CSetObj::InMemoryTag{});
    // A regular file only: reading a named pipe would wait for its writer.
    if (QFileInfo(path).isFile())
        LoadSettings(path, settings);
    return settings.m_imageType;
}

// The system's words for why no file can be made in folder; empty when one can.
QString WhyNotWritable(const QString& folder)
{
    // A file is not a folder, whatever its permissions say.
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return QString::fromLocal8Bit(std::strerror(ENOTDIR));
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

void PrintLine(std::FILE* stream, const QString& text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
}

}  // namespace

int RunGrabCommand(const CommandLine& commandLine)
{
    // Damage the decoder meets on the way to a frame is its own business; a script reads our
    // reasons on standard error, not the decoder's chatter.
    av_log_set_level(AV_LOG_FATAL);
    const QString& folder = commandLine.grabFolder;
    if (const QString reason = WhyNotWritable(folder); !reason.isEmpty()) {
        PrintLine(stderr, QStringLiteral("kestivo: cannot write into \"%1\": %2").arg(folder, reason));
        return 1;
    }
    const std::int32_t type = commandLine.grabType ? *commandLine.grabType : SettingsImageType();
    const FrameFilesResult result = WriteFrameFiles(commandLine.video, commandLine.grabFrames, folder, type);
    if (!result.error.isEmpty()) {
        PrintLine(stderr, QStringLiteral("kestivo: ") + result.error);
        return 1;
    }
    int status = 0;
    for (const FrameFile& file : result.files) {
        if (file.ok()) {
            PrintLine(stdout, file.path);
        } else {
            PrintLine(stderr, QStringLiteral("kestivo: frame %1: %2").arg(file.frame).arg(file.error));
            status = 1;
        }
    }
    std::fflush(stdout);
    return status;
}
