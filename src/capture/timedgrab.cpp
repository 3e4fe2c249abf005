#include "timedgrab.h"

#include "ccamdlg.h"
#include "grabeverydlg.h"

#include <QEvent>
#include <QLabel>
#include <QLocale>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace {

constexpr int kSecondMs = 1000;
constexpr int kMinuteMs = 60 * kSecondMs;
constexpr int kHourMs = 60 * kMinuteMs;

// The state line over the bottom left of the picture.
void PlaceStateLine(QLabel* line)
{
    const QWidget* over = line->parentWidget();
    const QSize size = line->sizeHint().boundedTo(over->size());
    line->setGeometry(0, over->height() - size.height(), size.width(), size.height());
    line->raise();
}

// Places the state line again whenever the controller is resized.
class CStateLinePlacer : public QObject {
public:
    CStateLinePlacer(QLabel* line, QWidget* over) : QObject(line), m_line(line)
    {
        over->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_line->parentWidget() && event->type() == QEvent::Resize)
            PlaceStateLine(m_line);
        return false;
    }

private:
    QLabel* m_line;
};

}  // namespace

int GrabIntervalUnitMs(int intervalMs)
{
    if (intervalMs >= kHourMs && intervalMs % (kHourMs / 10) == 0)
        return kHourMs;
    if (intervalMs >= kMinuteMs && intervalMs % (kMinuteMs / 10) == 0)
        return kMinuteMs;
    return kSecondMs;
}

QString FormatGrabInterval(int intervalMs)
{
    const int unit = GrabIntervalUnitMs(intervalMs);
    const QString number = QLocale().toString(double(intervalMs) / unit, 'g', 7);
    if (unit == kHourMs)
        return CTimedGrab::tr("%1 h").arg(number);
    if (unit == kMinuteMs)
        return CTimedGrab::tr("%1 min").arg(number);
    return CTimedGrab::tr("%1 s").arg(number);
}

CTimedGrab::CTimedGrab(CCamDlg* dialog) : QObject(dialog), m_dialog(dialog)
{
    setObjectName(QStringLiteral("TimedGrab"));
    m_timer = new QTimer(this);
    // Intervals of a tenth of a second: a coarse timer would be off by a good part of one.
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &CTimedGrab::OnTick);
    connect(dialog, &CCamDlg::grabFinished, this, &CTimedGrab::OnGrabFinished);
    connect(dialog, &CCamDlg::stateChanged, this, &CTimedGrab::OnDialogState);

    m_stateLine = new QLabel(dialog);
    m_stateLine->setObjectName(QStringLiteral("TimedGrabState"));
    m_stateLine->setStyleSheet(QStringLiteral("QLabel { background: rgba(0, 0, 0, 160); color: white; padding: 2px 6px; }"));
    m_stateLine->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_stateLine->hide();
    new CStateLinePlacer(m_stateLine, dialog);
}

CTimedGrab::~CTimedGrab() = default;

void CTimedGrab::Start(const TimedGrabPlan& plan)
{
    if (!m_dialog || m_dialog->IsStopped())
        return;
    m_plan = plan;
    m_plan.intervalMs = std::clamp(plan.intervalMs, TimedGrabPlan::kMinIntervalMs, TimedGrabPlan::kMaxIntervalMs);
    m_plan.count = std::max(0, plan.count);
    m_requested = m_done = m_skipped = 0;
    m_waiting = false;
    m_outcome = Outcome::Running;
    m_timer->start(m_plan.intervalMs);
    OnTick();
}

void CTimedGrab::Stop()
{
    if (IsRunning())
        End(Outcome::Stopped);
}

void CTimedGrab::AskOrStop(QWidget* parent)
{
    if (IsRunning()) {
        Stop();
        return;
    }
    if (!m_dialog || m_dialog->IsStopped())
        return;
    if (const std::optional<TimedGrabPlan> plan = AskTimedGrabPlan(parent, tr("Grab Every")))
        Start(*plan);  // the channel may have stopped meanwhile: then nothing starts
}

void CTimedGrab::OnTick()
{
    if (!IsRunning())
        return;
    if (!m_dialog || m_dialog->IsStopped()) {
        End(Outcome::Stopped);
        return;
    }
    if (m_plan.count > 0 && m_requested >= m_plan.count)
        return;
    if (m_waiting || m_dialog->IsGrabBusy()) {
        ++m_skipped;
        ShowState();
        return;
    }
    m_waiting = true;
    ++m_requested;
    m_dialog->GrabImage();
    if (m_plan.count > 0 && m_requested >= m_plan.count)
        m_timer->stop();  // the last grab is asked for; the run ends when it is written
    ShowState();
}

void CTimedGrab::OnGrabFinished(bool saved)
{
    // A grab of the Grab command between the run's own is not the run's.
    if (!IsRunning() || !m_waiting)
        return;
    m_waiting = false;
    if (!saved) {
        // The controller has said why; the next tick would only fail the same way.
        End(Outcome::Failed);
        return;
    }
    ++m_done;
    if (m_plan.count > 0 && m_done >= m_plan.count)
        End(Outcome::Completed);
    else
        ShowState();
}

void CTimedGrab::OnDialogState()
{
    if (IsRunning() && m_dialog && m_dialog->IsStopped())
        End(Outcome::Stopped);
}

void CTimedGrab::End(Outcome outcome)
{
    m_timer->stop();
    m_waiting = false;
    m_outcome = outcome;
    ShowState();
}

QString CTimedGrab::StateText() const
{
    QString counts = m_plan.count > 0 ? tr("%1 of %2").arg(m_done).arg(m_plan.count) : tr("%1 grabbed").arg(m_done);
    if (m_skipped > 0)
        counts += tr(", %1 skipped").arg(m_skipped);
    switch (m_outcome) {
    case Outcome::None: return {};
    case Outcome::Running: return tr("Grabbing every %1: %2").arg(FormatGrabInterval(m_plan.intervalMs), counts);
    case Outcome::Completed: return tr("Timed grab done: %1").arg(counts);
    case Outcome::Stopped: return tr("Timed grab stopped: %1").arg(counts);
    case Outcome::Failed: return tr("Timed grab stopped by a failed grab: %1").arg(counts);
    }
    return {};
}

void CTimedGrab::ShowState()
{
    m_stateLine->setText(StateText());
    m_stateLine->setVisible(m_outcome != Outcome::None);
    PlaceStateLine(m_stateLine);
    Q_EMIT stateChanged();
}

void ToggleTimedGrabs(QWidget* parent, const QList<CTimedGrab*>& runs)
{
    if (std::any_of(runs.cbegin(), runs.cend(), [](const CTimedGrab* run) { return run->IsRunning(); })) {
        for (CTimedGrab* run : runs)
            run->Stop();
        return;
    }
    if (const std::optional<TimedGrabPlan> plan = AskTimedGrabPlan(parent, CTimedGrab::tr("Grab All Channels Every"))) {
        // Each channel runs its own timer; they start together, so their grabs fall together.
        for (CTimedGrab* run : runs)
            run->Start(*plan);
    }
}
