// Timed grabs of one capture channel: an ordinary grab every interval, a given number of times or
// until stopped, with its progress shown over the channel's picture.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class CCamDlg;
class QLabel;
class QTimer;
class QWidget;

// What a run does: one grab every intervalMs milliseconds (at least kMinIntervalMs), count grabs
// in all, or until stopped when count is 0.
struct TimedGrabPlan {
    static constexpr int kMinIntervalMs = 100;
    static constexpr int kMaxIntervalMs = 24 * 60 * 60 * 1000;
    int intervalMs = 1000;
    int count = 0;
    bool operator==(const TimedGrabPlan&) const = default;
};

// The unit an interval reads best in, in milliseconds: hours or minutes when it is a whole number of
// tenths of one, else seconds.
int GrabIntervalUnitMs(int intervalMs);
// The interval in that unit: "0.5 s", "2 min", "1.5 h".
QString FormatGrabInterval(int intervalMs);

// User-interface thread only. The timer asks the controller for a grab as the Grab command does;
// the grab is named, written and handed to the library as any other. A tick that comes while the
// run's last grab, or any grab of the channel, is still pending or being written is skipped and
// counted, never queued, so a slow image directory cannot pile up frames. The run ends when its
// count is written, when a grab fails (the controller has told the user why, once), when the
// channel stops, or by Stop; the controller's Shutdown ends it too.
class CTimedGrab : public QObject {
    Q_OBJECT
public:
    enum class Outcome { None, Running, Completed, Stopped, Failed };

    // Becomes dialog's child, with the state line over the bottom of its picture.
    explicit CTimedGrab(CCamDlg* dialog);
    ~CTimedGrab() override;

    // Starts a run, the first grab at once; a run already going is replaced. Ignored while the
    // channel is stopped.
    void Start(const TimedGrabPlan& plan);
    void Stop();
    // The command: stops a run, or asks for a plan (remembered in the profile) and starts one.
    void AskOrStop(QWidget* parent);

    bool IsRunning() const { return m_outcome == Outcome::Running; }
    Outcome LastOutcome() const { return m_outcome; }
    int Done() const { return m_done; }
    int Skipped() const { return m_skipped; }
    // "Grabbing every 0.5 s: 3 of 5, 1 skipped" while running, what the run did once it ended;
    // empty before the first run.
    QString StateText() const;
    QLabel* StateLine() const { return m_stateLine; }

Q_SIGNALS:
    // Started, a grab or a skip counted, or ended.
    void stateChanged();

private:
    void OnTick();
    void OnGrabFinished(bool saved);
    void OnDialogState();
    void End(Outcome outcome);
    void ShowState();

    QPointer<CCamDlg> m_dialog;
    QTimer* m_timer = nullptr;
    QLabel* m_stateLine = nullptr;
    TimedGrabPlan m_plan;
    Outcome m_outcome = Outcome::None;
    int m_requested = 0;
    int m_done = 0;
    int m_skipped = 0;
    bool m_waiting = false;  // the run's last request has not been delivered or failed yet
};

// Grab All Channels Every...: stops every run that is going; otherwise asks for one plan and starts
// it on every channel that is previewing.
void ToggleTimedGrabs(QWidget* parent, const QList<CTimedGrab*>& runs);
