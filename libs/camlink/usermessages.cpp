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

NetOutcome ClassifyNetError(const BusEvent& event)
{
    const QString words = (event.text + QLatin1Char(' ') + event.debug).toLower();
    auto has = [&words](const char* part) { return words.contains(QLatin1String(part)); };
    if (event.domain == GST_RESOURCE_ERROR && event.code == GST_RESOURCE_ERROR_NOT_AUTHORIZED)
        return NetOutcome::Unauthorised;
    if (has("unauthorized") || has("unauthorised") || has("401"))
        return NetOutcome::Unauthorised;
    if (has("refused"))
        return NetOutcome::Refused;
    if (has("resolv") || has("unreachable") || has("no route") || has("timed out") || has("timeout"))
        return NetOutcome::Unreachable;
    if ((event.domain == GST_RESOURCE_ERROR && event.code == GST_RESOURCE_ERROR_NOT_FOUND) || has("404")
        || has("not found"))
        return NetOutcome::NotFound;
    if (has("uri handler") || has("invalid uri"))
        return NetOutcome::BadAddress;
    // A stream of a type nothing decodes (a web page, a file of another kind). A stream cut short
    // ("not enough data") and the generic "internal data stream error" say nothing of the stream:
    // a camera dropping gives them.
    if (event.domain == GST_CORE_ERROR && event.code == GST_CORE_ERROR_MISSING_PLUGIN)
        return NetOutcome::NotVideo;
    if (event.domain == GST_STREAM_ERROR && !has("enough data")) {
        switch (event.code) {
        case GST_STREAM_ERROR_WRONG_TYPE:
        case GST_STREAM_ERROR_CODEC_NOT_FOUND:
        case GST_STREAM_ERROR_TYPE_NOT_FOUND:
        case GST_STREAM_ERROR_DECODE:
        case GST_STREAM_ERROR_DEMUX:
            return NetOutcome::NotVideo;
        default:
            break;
        }
    }
    return NetOutcome::Failed;
}

QString NetFailureMessage(NetOutcome outcome, const QString& who, const QString& detail)
{
    switch (outcome) {
    case NetOutcome::Unreachable:
        return QStringLiteral("%1 is unreachable: nothing answers at that address").arg(who);
    case NetOutcome::Refused:
        return QStringLiteral("%1 refused the connection: nothing listens on that port").arg(who);
    case NetOutcome::Unauthorised:
        return QStringLiteral("%1 refused the user name or password: unauthorised").arg(who);
    case NetOutcome::NotFound:
        return QStringLiteral("%1 has no stream at that path: not found").arg(who);
    case NetOutcome::NotVideo:
        return QStringLiteral("%1 is not a video: %2").arg(who, detail);
    case NetOutcome::BadAddress:
        return QStringLiteral("%1 cannot be opened: %2").arg(who, detail);
    case NetOutcome::Video:
    case NetOutcome::Failed:
        break;
    }
    return QStringLiteral("%1 could not be opened: %2").arg(who, detail);
}

bool IsNetFailureLasting(NetOutcome outcome)
{
    return outcome == NetOutcome::Unauthorised || outcome == NetOutcome::NotVideo
           || outcome == NetOutcome::BadAddress;
}
