// What the capture tests share: test channels, generated pictures, and a frame callback that
// keeps the newest frame.
#pragma once

#include "ccapbase.h"

#include <QColor>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <vector>

// Replaces the channels and forgets what earlier tests left in the profile.
void UseTestChannels(const QString& channels);
// A PNG of width x height, top half `top`, bottom half `bottom`; its path.
QString MakePicture(const QTemporaryDir& dir, int width, int height, QColor top, QColor bottom);
// A test channel description showing that picture as a live source.
QString PictureSource(const QString& path);

struct Frame {
    int width = 0, height = 0, bpp = 0;
    std::vector<std::uint8_t> pixels;  // as the callback got them: packed BGR rows, bottom first
    QColor At(int x, int row) const;   // row 0: the first row handed over (the bottom one)
};

class FrameCollector {
public:
    static int Callback(int channel, const std::uint8_t* pixels, int width, int height, int bpp, void* user);
    void Attach(CCapBase& capture, int channel) { capture.SetChanCallBack(channel, &Callback, this); }
    int Calls() const { return m_calls.load(); }
    Frame Last() const;
    void Reset();
    // Waits (on the event loop) until a frame arrives that was produced after this call.
    bool WaitFrame(Frame* frame = nullptr);

private:
    mutable std::mutex m_mutex;
    Frame m_last;
    std::atomic<int> m_calls{0};
};

// Colours match within what conversion to and from YUV may change.
bool Near(QColor a, QColor b, int tolerance = 12);
