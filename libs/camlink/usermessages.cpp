#include "usermessages.h"

QString StopMessage(const QString& name, const BusEvent& event, bool isDevice, bool deviceGone)
{
    if (event.kind == BusEvent::EndOfStream)
        return QStringLiteral("%1: the video ended").arg(name);
    if (isDevice && event.domain == GST_RESOURCE_ERROR) {
        const bool permission = event.text.contains(QLatin1String("permission"), Qt::CaseInsensitive)
                                || event.debug.contains(QLatin1String("permission"), Qt::CaseInsensitive);
        switch (event.code) {
        case GST_RESOURCE_ERROR_BUSY:
            return QStringLiteral("%1 is in use by another program").arg(name);
        case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
            return QStringLiteral("%1 cannot be opened: permission denied").arg(name);
        case GST_RESOURCE_ERROR_NOT_FOUND:
        case GST_RESOURCE_ERROR_OPEN_READ:
        case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
        case GST_RESOURCE_ERROR_READ:
            if (permission)
                return QStringLiteral("%1 cannot be opened: permission denied").arg(name);
            if (deviceGone)
                return QStringLiteral("%1 was disconnected").arg(name);
            break;
        default:
            break;
        }
    }
    const QString text = event.text.isEmpty() ? QStringLiteral("the video could not be started") : event.text;
    return QStringLiteral("%1: %2").arg(name, text);
}
