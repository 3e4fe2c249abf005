// Inspection of one video file and exact still pictures from it.
#pragma once

#include "csysref.h"
#include "dibbitmap.h"
#include "framesource.h"

#include <QString>
#include <cstdint>
#include <memory>

// User-interface thread (or any one thread at a time). Pictures it returns belong to the caller.
class CFileInfo {
public:
    CFileInfo();
    virtual ~CFileInfo();
    CFileInfo(CFileInfo&&) noexcept;
    CFileInfo& operator=(CFileInfo&&) noexcept;

    // Opens and indexes the file (progress and cancel through progress). True when the file could
    // be inspected; the path is then remembered. False keeps the previous file, with the reason in
    // GetLastError().
    bool SetFileName(const QString& path, const ProgressFn& progress = {});
    QString GetLastError() const { return m_error; }
    // Video streams of the open file (0 before any).
    int GetVideoStreamCount() const { return m_videoStreams; }
    // The path of the last successful SetFileName; empty before any.
    QString GetFileName() const { return m_path; }

    // Frames in display order; the last frame is GetFrameCount() - 1 (the Tail of the source).
    std::int64_t GetFrameCount() const;
    // The picture a player shows: sample aspect ratio and rotation applied.
    bool GetVideoSize(long& width, long& height) const;
    CSysRef GetSysRef() const;

    // The exact frame at that time (see CSysRef::SecToFrame) scaled to width x height, or null
    // (the reason in GetLastError()).
    std::unique_ptr<DibBitmap> GetBitmap(double seconds, long width, long height);
    // The thumbnail block of the frame at that time: 40-byte bitmap header and width x height BGR
    // pixels, rows bottom-up; the picture keeps its aspect inside, with black bars.
    bool GetBitmap(double seconds, std::unique_ptr<std::uint8_t[]>& buffer, long& width, long& height);
    // The same by frame number, which is what callers that know the frame should use.
    std::unique_ptr<DibBitmap> GetFrameBitmap(std::int64_t frame, long width, long height);
    // The same bitmap, or, when unmade is set on return, the bitmap with its pixels yet to be
    // converted from that frame (straight into its rows, by a RowsInTheMaking), so that they can be
    // used while they are made.
    std::unique_ptr<DibBitmap> GetFrameBitmapUnmade(std::int64_t frame, long width, long height, SharedFrame& unmade);
    std::unique_ptr<std::uint8_t[]> GetFrameThumbBlock(std::int64_t frame, long width = 80, long height = 60);

    // The frame source of the open file, for the playback engine (shares its frame cache); null
    // before any file.
    FrameSource* Source() const { return m_source.get(); }

private:
    // The decoded frame a bitmap is made of; null, with the reason kept, when there is none.
    SharedFrame FrameForBitmap(std::int64_t frame);

    std::unique_ptr<FrameSource> m_source;
    QString m_path;
    QString m_error;
    int m_videoStreams = 0;
    std::shared_ptr<const std::vector<double>> m_times;
};
