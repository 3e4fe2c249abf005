// The index of a file kept on disk in the per-user cache folder, keyed by the file's path, size
// and modification time, so that opening a file again needs no demuxing.
#pragma once

#include "mediaindex.h"

#include <QString>
#include <optional>

// The cache file for a video, or empty when the video cannot be examined.
QString IndexCachePath(const QString& videoPath);
// The cached index, if a valid one is there (a damaged cache file is ignored).
std::optional<MediaIndex> LoadCachedIndex(const QString& videoPath);
// Writes the index to the cache; a failure only means the next open indexes again.
void StoreCachedIndex(const QString& videoPath, const MediaIndex& index);
