// The video-file source: opens a video, shows it, keeps the current frame (slider and timecode),
// steps, seeks, plays at a rate and grabs the current frame into the library.
#pragma once

#include "cdsgraph.h"
#include "cfileinfo.h"
#include "clipobj.h"

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CMarkSlider;
class CRangeGrab;
class CTimecodectrlctrl;
class CVideoArea;
class QLabel;
class QProgressDialog;
class QSlider;

// User-interface thread only.
class CSourceDlg : public QWidget {
    Q_OBJECT
public:
    // Where grabbed items go; the receiver owns them from then on (the main frame's relay).
    using ClipSink = std::function<void(std::unique_ptr<CClipObj>)>;

    explicit CSourceDlg(QWidget* parent = nullptr);
    ~CSourceDlg() override;

    void SetClipSink(ClipSink sink) { m_clipSink = std::move(sink); }

    // Opens path at frame with the rate; false (with problem() emitted) when it cannot be opened,
    // and the file open before stays open.
    bool LoadVideo(const QString& path, double rate, std::uint32_t frame);
    // Asks for a file and opens it at frame 0; the keyboard focus then goes to its picture.
    void OpenVideoFile();
    // The keyboard focus to the video's picture, where the keys of the source act.
    void FocusPicture();
    // Brings the source to the item's video and frame (reopening only when it is another file).
    void ShowClip(const CClipObj& item);
    // Writes the current frame into the image directory and hands its item to the clip sink.
    // False, with problem() emitted and no item, when the picture or the file could not be made.
    bool GrabFrame();
    // Puts the frame on screen on the clipboard as the grab would make it: at the video's display
    // size, aspect and rotation applied. False, with problem() emitted, when it could not be made.
    bool CopyFrame();
    // Sets the In (Out) mark on the current frame. A mark set beyond the other one moves that one
    // back to Head (Tail). A video opens with them on Head and Tail.
    void SetInMark();
    void SetOutMark();
    std::uint32_t InMark() const { return m_inMark; }
    std::uint32_t OutMark() const { return m_outMark; }
    // Asks which frames between the marks to grab, then grabs them (StartRangeGrab).
    void GrabRange();
    // Grabs frames (ascending) of the open video as single grabs would, with a progress dialog
    // that offers Cancel; the items reach the clip sink in frame order. Null when nothing runs (no
    // video, no frames, or a run under way). The dialog owns the run until it has finished.
    CRangeGrab* StartRangeGrab(std::vector<std::int64_t> frames);
    CRangeGrab* RangeGrab() const { return m_rangeGrab.get(); }
    // Stops a range grab under way at once; the items of what it wrote reach the clip sink before
    // this returns (the program's end calls it before the library is saved).
    void StopRangeGrab();
    // The frames of the open video that the library holds, each with the name of a folder holding it.
    void SetLibraryFrames(std::map<std::uint32_t, QString> frames);

    void Play();
    void Pause();
    void Stop();
    void Head();
    void PreviousSecond();
    void PreviousFrame();
    void NextFrame();
    void NextSecond();
    void Tail();
    void ResetRate();
    void RateUp();
    void RateDown();

    bool IsOpen() const { return !m_fileInfo.GetFileName().isEmpty(); }
    QString FileName() const { return m_fileInfo.GetFileName(); }
    bool IsPlaying() const { return m_pGraph->IsPlaying(); }
    std::uint32_t CurrentFrame() const { return m_curFrame; }
    // The last frame: the slider's maximum and the Tail position.
    std::uint32_t LastFrame() const;
    double Rate() const { return m_rate; }
    CFileInfo& FileInfo() { return m_fileInfo; }
    CDSGraph& Graph() { return *m_pGraph; }
    QSlider* Slider() const;
    CMarkSlider* MarkSlider() const { return m_slider; }
    CTimecodectrlctrl* Timecode() const { return m_timecode; }
    // Under the slider: the file's name, "frame N of T", the position and the duration, and the
    // rate when it is not 1.
    QLabel* StatusLine() const { return m_statusLine; }
    void SetBackColor(ColorRef color);
    QSize sizeHint() const override { return QSize(480, 420); }

Q_SIGNALS:
    // Something the user should be told: a file that did not open, a grab that failed.
    void problem(const QString& message);
    // A passing note for the status bar.
    void status(const QString& message);
    // Another video was opened: what the library holds of it is wanted.
    void videoOpened(const QString& path);
    // The state the pane's commands depend on may have changed.
    void stateChanged();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    static void OnGraphEvent(QObject* notify, long code, long param1, long param2);
    void MoveTo(std::uint32_t frame);
    // The grab's file and item; null with the reason in error when either could not be made.
    std::unique_ptr<CClipObj> WriteGrab(std::uint32_t frame, QString* error);
    void ShowRangeProgress();
    void RangeGrabFinished();
    void OnTimer();
    void OnSliderMoved(int position);
    void LayoutControls();
    void ShowTimecode();
    void ShowStatusLine();

    CFileInfo m_fileInfo;
    std::unique_ptr<CDSGraph> m_pGraph;
    std::uint32_t m_curFrame = 0;
    bool m_loading = false;
    bool m_followedPlayback = false;  // the last tick saw playback
    double m_rate = 1.0;
    CMarkSlider* m_slider = nullptr;
    CTimecodectrlctrl* m_timecode = nullptr;
    QLabel* m_statusLine = nullptr;
    CVideoArea* m_videoArea = nullptr;
    QTimer m_timer;
    ClipSink m_clipSink;
    std::uint32_t m_inMark = 0;
    std::uint32_t m_outMark = 0;
    std::map<std::uint32_t, QString> m_libraryFrames;
    std::unique_ptr<CRangeGrab> m_rangeGrab;
    QProgressDialog* m_rangeProgress = nullptr;
    qint64 m_rangeStartMs = 0;
};
