#include "grabnaming.h"

#include <QFile>
#include <QFileInfo>

QString GrabBaseFromVideoPath(const QString& videoPath)
{
    return QFileInfo(videoPath).completeBaseName();
}

// Names are joined, never substituted: a video called "a%1b.mp4" or "a%20b.mp4" must keep its
// percent signs rather than have them taken for placeholders.
QString BuildGrabName(const QString& base, std::uint32_t number)
{
    return base + QLatin1Char('_') + QString::number(std::int32_t(number));
}

GrabTarget BuildGrabPath(const QString& grabName, const QString& imageDir, std::int32_t imageType)
{
    const ImageTypeInfo& type = ImageTypeFor(imageType);
    GrabTarget target;
    target.encoder = type.encoder;
    // Never made here: a directory that vanished is most often a share or a drive that is not
    // mounted, and a grab written into its empty mount point would be lost from sight.
    if (!QFileInfo(imageDir).isDir()) {
        target.error = QStringLiteral("the image directory \"") + imageDir
                     + QStringLiteral("\" does not exist; choose one in Options");
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
    for (int n = 2;; ++n) {
        QFile reserved(target.path);
        if (reserved.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return target;
        if (!taken(target.path)) {
            target.error = QLatin1Char('"') + target.path + QStringLiteral("\" could not be created: ")
                         + reserved.errorString();
            return target;
        }
        target.caption = grabName + QStringLiteral(" (") + QString::number(n) + QLatin1Char(')');
        target.path = folder + target.caption + extension;
    }
}

QString SafeGrabBase(const QString& name)
{
    // 255 bytes is the usual limit of a file name; leave room for "_<number> (<n>).tiff".
    constexpr qsizetype kMaxBaseBytes = 200;
    QString safe;
    for (const QChar c : name.trimmed())
        safe += (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control) ? QLatin1Char('_') : c;
    for (qsizetype i = 0; i < safe.size() && safe[i] == QLatin1Char('.'); ++i)
        safe[i] = QLatin1Char('_');
    while (safe.toUtf8().size() > kMaxBaseBytes)
        safe.chop(safe.size() > 1 && safe[safe.size() - 1].isLowSurrogate() ? 2 : 1);
    return safe.isEmpty() ? QStringLiteral("Capture") : safe;
}
