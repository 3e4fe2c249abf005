#include "mediaversion.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

namespace {

QString DottedVersion(unsigned version)
{
    return QStringLiteral("%1.%2.%3")
        .arg(AV_VERSION_MAJOR(version))
        .arg(AV_VERSION_MINOR(version))
        .arg(AV_VERSION_MICRO(version));
}

}  // namespace

QString MediaLibraryVersionText()
{
    return QStringLiteral("FFmpeg %1 (libavformat %2, libavcodec %3)")
        .arg(QString::fromUtf8(av_version_info()), DottedVersion(avformat_version()), DottedVersion(avcodec_version()));
}
