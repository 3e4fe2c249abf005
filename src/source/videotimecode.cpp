#include "videotimecode.h"

#include "csysref.h"
#include "indexcache.h"

#include <QHash>

QString CachedVideoTimecode(const QString& video, std::uint32_t frame)
{
    // A hover asks again and again; the index itself can be megabytes, the rate is all it takes.
    static QHash<QString, double> rates;
    auto known = rates.constFind(video);
    if (known == rates.constEnd()) {
        const std::optional<MediaIndex> index = LoadCachedIndex(video);
        if (!index)
            return {};
        known = rates.insert(video, index->frameRate);
    }
    return CSysRef(*known).FrameToTCString(frame);
}
