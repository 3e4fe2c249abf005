#include "saveoptions.h"

#include "resource.h"
#include "profile.h"

#include <QSettings>
#include <algorithm>

namespace {

const QString kJpegQualityKey = QStringLiteral("Grabs/JpegQuality");
const QString kPngCompressionKey = QStringLiteral("Grabs/PngCompression");

using kestivo::Profile;

int ReadInt(const QSettings& profile, const QString& key, int fallback, int low, int high)
{
    bool ok = false;
    const int value = profile.value(key, fallback).toInt(&ok);
    return ok ? std::clamp(value, low, high) : fallback;
}

ImageText Software()
{
    return {QStringLiteral("Software"), QLatin1String(kestivo::text::kAppName) + QStringLiteral(" " KESTIVO_VERSION)};
}

}  // namespace

ImageEncoding ImageEncoding::FromProfile()
{
    const QSettings profile = Profile();
    ImageEncoding encoding;
    encoding.jpegQuality = ReadInt(profile, kJpegQualityKey, kDefaultJpegQuality, kMinJpegQuality, kMaxJpegQuality);
    encoding.pngCompression = ReadInt(profile, kPngCompressionKey, kDefaultPngCompression, 0, kMaxPngCompression);
    return encoding;
}

void ImageEncoding::ToProfile() const
{
    QSettings profile = Profile();
    profile.setValue(kJpegQualityKey, jpegQuality);
    profile.setValue(kPngCompressionKey, pngCompression);
}

ImageTexts VideoGrabTexts(const QString& source, std::uint32_t frame, const QString& timecode)
{
    return {{QStringLiteral("Source"), source},
            {QStringLiteral("Frame"), QString::number(frame)},
            {QStringLiteral("Timecode"), timecode},
            Software()};
}

ImageTexts LiveGrabTexts(const QString& channel, int number)
{
    return {{QStringLiteral("Channel"), channel}, {QStringLiteral("Grab"), QString::number(number)}, Software()};
}
