#include "avresult.h"

extern "C" {
#include <libavutil/error.h>
}

Q_LOGGING_CATEGORY(lcMediq, "kestivo.mediq", QtWarningMsg)

QString AvErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}
