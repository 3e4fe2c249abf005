// The capture library: the live video channels of the machine (capture devices, or test channels
// named in $KESTIVO_TEST_CHANNELS), one GStreamer pipeline each, painted into a window of the
// caller's and handed frame by frame to a callback.
#pragma once

#include "capformat.h"

#include <QList>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

class QWidget;

// Called for every frame of a channel while it plays, on that channel's streaming thread (never
// the user-interface thread). pixels: width x height pixels of bpp bits (always 24: blue, green,
// red), rows packed without padding, bottom row first; valid only during the call, owned by the
// library. user: what was given to SetChanCallBack. The result is ignored (return 0). It must not
// throw and should return quickly: the next frame waits for it. It must not wait for the
// user-interface thread either, since SetChanCallBack and PauseChan wait there for a running call.
using CapFrameCallback = int (*)(int channel, const std::uint8_t* pixels, int width, int height, int bpp, void* user);
// Asked on the streaming thread before each frame is packed for the callback: false skips the
// packing and the call for that frame. Lets a callback that wants one frame in a thousand (a grab)
// spare the channel a copy of every frame. Same rules as the callback.
using CapFrameWanted = bool (*)(int channel, void* user);

// How many frames a channel's pipeline produced and how many of them its view painted (the rest
// were replaced by newer ones before the view got to them), since the CCapBase was made.
struct CapChanStats {
    quint64 produced = 0;
    quint64 painted = 0;
};

// Thread: everything on the user-interface thread, except GetChanName and GetChanCount (any thread:
// they take the lock under which network cameras are added and removed).
//
// The channels are enumerated once, at construction: with $KESTIVO_TEST_CHANNELS set (even empty),
// exactly the channels it lists ("Name=gst-launch description;Name2=..."); otherwise the video
// sources of the device monitor, in a stable order (devices seen before keep their place, new ones
// follow), each known by its identity (device path or id). Two channels of one display name get
// distinct names ("USB Camera", "USB Camera (2)"). The network cameras of the profile follow them;
// more are added and removed while the program runs. A channel's number never changes: a removed
// network camera keeps its number, answers as an unknown channel, and its number is not reused.
//
// A network camera that drops (error or end of stream) while it plays is not stopped: its view
// says it is reconnecting and it is started again after 0.5 s, then after twice the last wait up
// to 8 s, until a frame comes (the wait starts again from 0.5 s) or the user stops it. A stream
// that stays silent for 12 s without an error counts as dropped too. Its frame
// callback stays set meanwhile, so a grab requested during the wait takes the first frame after.
// Only what waiting cannot mend stops it: wrong credentials, a stream without video.
//
// Operations taking a channel return 0 on success and a negative value on failure (an unknown
// channel, a pipeline that would not start); LastError() then says why in words.
//
// A frame's way and who owns it: the channel's appsink (streaming thread) keeps only the newest
// frame; the library pulls it, copies its pixels into a buffer of the channel's own (owned by the
// library, lent to the callback for the call's duration), and puts the frame itself into the
// view's one-slot mailbox, where a newer frame replaces and releases an older one not yet shown.
// A queued call on the user-interface thread then hands the newest frame to the view, which owns
// it until the next one arrives.
//
// The profile (QSettings "Orvel", "Kestivo") keeps, under "Capture/": the devices seen before
// ("KnownDevices"), and per channel identity (percent-encoded) the format ("Format", as caps) and
// the picture controls the user moved ("Controls/<name>").
class CCapBase : public QObject {
    Q_OBJECT
public:
    explicit CCapBase(QObject* parent = nullptr);
    // Stops every channel; no callback runs once it returns.
    ~CCapBase() override;

    int GetChanCount() const;
    // The channel's display name, or an empty string for an unknown channel.
    QString GetChanName(int channel) const;
    // What the channel is remembered by in the profile ("/dev/video0", "test:Cam A", ...).
    QString GetChanIdentity(int channel) const;
    bool IsNetChan(int channel) const;
    // A network channel's address without its credentials; empty for other channels.
    QString GetChanAddress(int channel) const;
    // Between a network channel's drop and the first frame after it.
    bool IsChanReconnecting(int channel) const;

    // Adds a network camera after the other channels and remembers it in the profile; its number,
    // or -1 with LastError when name is empty or taken. The address is not opened here: check it
    // first (CNetProbe).
    int AddNetChan(const QString& name, const QString& address);
    // Stops and forgets a network camera, here and in the profile. The caller has removed the
    // channel's callback and window (its controller is gone).
    long RemoveNetChan(int channel);

    // The channel's live picture is painted in window from now on: a child view of the library's,
    // filling the window, the newest frame fitted with its aspect kept, repainted only when a newer
    // frame exists. Messages about the channel ("USB Camera was disconnected") are shown there too.
    // Call again after the window changes; the view follows the window's size by itself.
    long SetChanWindow(int channel, QWidget* window);
    // Sets (or, with a null callback, removes) the frame callback. Once it returns, the previous
    // callback is not running and is not called again, so its user may be destroyed.
    long SetChanCallBack(int channel, CapFrameCallback callback, void* user, CapFrameWanted wanted = nullptr);
    // Starts the channel's pipeline with its remembered format and picture controls; playing
    // already is a success. When a known channel cannot start (the description does not parse,
    // the device is gone, busy or refuses, the state change fails), the result is negative with
    // LastError set, and chanStopped follows with the same message, queued (after this returns),
    // so that a caller shows every stop in one place. The view's message is cleared on success.
    long PlayChan(int channel);
    // Stops the pipeline and releases the device; no callback runs for the channel once it returns.
    long PauseChan(int channel);
    // Playing, or reconnecting after a drop.
    bool IsChanPlaying(int channel) const;
    // Runs the format dialog (what the device offers: pixel format, size, frame rate); the choice
    // is applied at once while playing and remembered per channel identity in the profile.
    long FormatChan(int channel, QWidget* parent = nullptr);
    // Runs the picture-controls dialog: live sliders and Defaults. The device's own controls where
    // it has them, else brightness, contrast, saturation and hue of the pipeline's balance element.
    long ConfigChan(int channel, QWidget* parent = nullptr);

    // What the dialogs do, without them.
    QList<CapFormat> GetChanFormats(int channel);
    CapFormat GetChanFormat(int channel) const;  // a default CapFormat: whatever the device negotiates
    long SetChanFormat(int channel, const CapFormat& format);
    // While stopped nothing is opened: a test channel lists its balance controls, a device the
    // controls it had when it last played in this run (none before that), with remembered values.
    QList<CapControl> GetChanControls(int channel);
    long SetChanControl(int channel, const QString& control, int value);
    long ResetChanControls(int channel);

    QString LastError() const;

    // Frames produced and painted (for benchmarks and tests); zeros for an unknown channel.
    CapChanStats GetChanStats(int channel) const;

Q_SIGNALS:
    // The channel stopped by itself (end of stream, pipeline error, device unplugged or busy or not
    // permitted); message says so in words. The channel is stopped when this is emitted.
    void chanStopped(int channel, const QString& message);
    // A device that was unplugged is back (true) or gone (false).
    void chanAvailabilityChanged(int channel, bool available);
    // A network channel dropped and is being started again; its view says so.
    void chanReconnecting(int channel, const QString& message);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
