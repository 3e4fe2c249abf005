#include "grabnaming.h"

#include <QDir>
#include <QFileInfo>

QString GrabBaseFromVideoPath(const QString& videoPath)
{
    return QFileInfo(videoPath).completeBaseName();
}

QString BuildGrabName(const QString& base, std::uint32_t number)
{
    return QStringLiteral("%1_%2").arg(base).arg(std::int32_t(number));
}

GrabTarget BuildGrabPath(const QString& grabName, const QString& imageDir, std::int32_t imageType)
{
    const ImageTypeInfo& type = ImageTypeFor(imageType);
    GrabTarget target;
    target.encoder = type.encoder;
    if (!QDir().mkpath(imageDir)) {
        target.error = QStringLiteral("the image directory \"%1\" does not exist and cannot be created").arg(imageDir);
        return target;
    }

    const QString extension = QLatin1Char('.') + QLatin1String(type.extension);
    const QString folder = imageDir.endsWith(QLatin1Char('/')) ? imageDir : imageDir + QLatin1Char('/');
    target.caption = grabName;
    target.path = folder + grabName + extension;
    // QFileInfo::exists is false for a dangling link, which a write would still follow.
    auto taken = [](const QString& path) {
        const QFileInfo file(path);
        return file.exists() || file.isSymLink();
    };
    for (int n = 2; taken(target.path); ++n) {
        target.caption = QStringLiteral("%1 (%2)").arg(grabName).arg(n);
        target.path = folder + target.caption + extension;
    }
    return target;
}
