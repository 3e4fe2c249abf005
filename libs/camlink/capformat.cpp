#include "capformat.h"

#include "gstptr.h"

#include <QStringList>

QString CapFormat::Label() const
{
    if (IsDefault())
        return QStringLiteral("Default");
    QStringList parts;
    if (width > 0 && height > 0)
        parts << QStringLiteral("%1 x %2").arg(width).arg(height);
    if (!pixelFormat.isEmpty())
        parts << pixelFormat;
    else if (media == QLatin1String("image/jpeg"))
        parts << QStringLiteral("MJPEG");
    if (fpsNumerator > 0 && fpsDenominator > 0) {
        const QString rate = fpsDenominator == 1 ? QString::number(fpsNumerator)
                                                 : QString::number(double(fpsNumerator) / fpsDenominator, 'f', 2);
        parts << rate + QStringLiteral(" fps");
    }
    return parts.isEmpty() ? media : parts.join(QStringLiteral(", "));
}

QString CapFormat::ToCaps() const
{
    if (IsDefault())
        return {};
    QString caps = media;
    if (!pixelFormat.isEmpty())
        caps += QStringLiteral(",format=") + pixelFormat;
    if (width > 0)
        caps += QStringLiteral(",width=%1").arg(width);
    if (height > 0)
        caps += QStringLiteral(",height=%1").arg(height);
    if (fpsNumerator > 0)
        caps += QStringLiteral(",framerate=%1/%2").arg(fpsNumerator).arg(fpsDenominator);
    return caps;
}

CapFormat CapFormat::FromCaps(const QString& text)
{
    CapFormat format;
    if (text.trimmed().isEmpty())
        return format;
    EnsureGstInit();
    GstCapsPtr caps(gst_caps_from_string(text.toUtf8().constData()));
    if (!caps || gst_caps_is_any(caps.get()) || gst_caps_get_size(caps.get()) == 0)
        return format;
    const GstStructure* s = gst_caps_get_structure(caps.get(), 0);
    format.media = QString::fromUtf8(gst_structure_get_name(s));
    if (const gchar* pixel = gst_structure_get_string(s, "format"))
        format.pixelFormat = QString::fromUtf8(pixel);
    gst_structure_get_int(s, "width", &format.width);
    gst_structure_get_int(s, "height", &format.height);
    int num = 0, den = 1;
    if (gst_structure_get_fraction(s, "framerate", &num, &den) && num > 0 && den > 0) {
        format.fpsNumerator = num;
        format.fpsDenominator = den;
    }
    return format;
}
