#include "csourcedlg.h"

#include "ctimecodectrl.h"
#include "graphevents.h"
#include "markslider.h"
#include "rangegrab.h"
#include "rangegrabdlg.h"
#include "setobj.h"
#include "videoarea.h"
#include "videofilters.h"

#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QScopedValueRollback>
#include <utility>
#include <QSlider>

namespace {

// A "second" of the step commands is 25 frames, whatever the file's rate.
constexpr std::uint32_t kSecondStep = 25;
constexpr double kRateFactor = 1.1;
constexpr int kTimerMs = 40;

// "m:ss.cc", with hours in front from an hour on.
QString ClockText(double seconds)
{
    const auto centis = std::int64_t(std::max(seconds, 0.0) * 100 + 0.5);
    const std::int64_t s = centis / 100, minutes = s / 60, hours = minutes / 60;
    const QString rest = QStringLiteral("%1.%2").arg(s % 60, 2, 10, QLatin1Char('0')).arg(centis % 100, 2, 10, QLatin1Char('0'));
    if (hours > 0)
        return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes % 60, 2, 10, QLatin1Char('0')).arg(rest);
    return QStringLiteral("%1:%2").arg(minutes).arg(rest);
}

}  // namespace

CSourceDlg::CSourceDlg(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SourceDlg"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    m_timecode = new CTimecodectrlctrl(this);
    m_videoArea = new CVideoArea(this);
    connect(m_videoArea, &CVideoArea::fileDropped, this, [this](const QString& path) {
        if (LoadVideo(path, m_rate, 0))
            FocusPicture();
    });
    m_videoArea->setFocusPolicy(Qt::ClickFocus);
    m_slider = new CMarkSlider(this);
    m_slider->setObjectName(QStringLiteral("PositionSlider"));
    m_slider->setRange(0, 0);
    m_slider->setPageStep(10);
    m_slider->setSingleStep(1);
    m_slider->setEnabled(false);
    m_slider->setToolTip(tr("Position: a click jumps there, arrow keys step one frame, Page Up and Page Down ten; I and O set the "
                            "In and Out marks (the brackets), ticks below show frames the library holds"));
    connect(m_slider, &QSlider::valueChanged, this, &CSourceDlg::OnSliderMoved);
    m_statusLine = new QLabel(this);
    m_statusLine->setObjectName(QStringLiteral("SourceStatusLine"));
    m_statusLine->setAlignment(Qt::AlignCenter);
    m_statusLine->setTextFormat(Qt::PlainText);

    SetBackColor(g_SetObj.m_backColor);
    m_pGraph = std::make_unique<CDSGraph>();
    connect(&m_timer, &QTimer::timeout, this, &CSourceDlg::OnTimer);
    m_timer.start(kTimerMs);
    resize(394, 316);
    LayoutControls();
}

CSourceDlg::~CSourceDlg()
{
    m_timer.stop();
    m_rangeGrab.reset();  // joins its threads; what it wrote still reaches the sink
    m_pGraph.reset();  // its decode thread goes before the widgets it draws into
}

void CSourceDlg::SetBackColor(ColorRef color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(color));
    setPalette(p);
    m_videoArea->setPalette(p);
    m_timecode->SetBackColor(color);
}

std::uint32_t CSourceDlg::LastFrame() const
{
    const std::int64_t count = m_fileInfo.GetFrameCount();
    return count > 0 ? std::uint32_t(count - 1) : 0;
}

bool CSourceDlg::LoadVideo(const QString& path, double rate, std::uint32_t frame)
{
    if (m_loading)
        return false;  // a second open while one is indexing (a key pressed again) waits its turn
    const QScopedValueRollback loading(m_loading, true);
    // Said plainly: the reader's own words for it are that the file is no video it can read.
    if (!QFileInfo::exists(path)) {
        Q_EMIT problem(tr("The video \"%1\" was not found").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    QProgressDialog progress(tr("Indexing %1...").arg(QFileInfo(path).fileName()), tr("Cancel"), 0, 1000, this);
    progress.setWindowTitle(tr("Opening video"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);  // only files that take a while to index show it
    const auto report = [&progress](double fraction) {
        progress.setValue(int(fraction * 1000));
        // Until the dialog shows, clicks and keys wait: they could delete what is being opened
        // or start another open. Once it shows, it is modal and offers Cancel.
        QApplication::processEvents(progress.isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        return !progress.wasCanceled();
    };
    // The new file is taken only when both the inspection and the graph have it, so that what is
    // shown and what is grabbed never belong to different files.
    CFileInfo candidate;
    if (!candidate.SetFileName(path, report)) {
        if (progress.wasCanceled())
            return false;  // the user chose to stop; nothing to warn about
        progress.reset();  // the box that says why must not stand behind the indexing one
        Q_EMIT problem(tr("\"%1\" could not be opened: %2").arg(QDir::toNativeSeparators(path), candidate.GetLastError()));
        return false;
    }
    progress.reset();
    if (m_pGraph->Init(path, m_videoArea, this, candidate.Source()->Cache(), &candidate.Source()->Index()) != 0) {
        Q_EMIT problem(tr("\"%1\" could not be played: %2").arg(QDir::toNativeSeparators(path), m_pGraph->GetLastError()));
        return false;
    }
    m_fileInfo = std::move(candidate);
    m_videoArea->SetVideoOpen(true);
    {
        const QSignalBlocker block(m_slider);
        m_slider->setRange(0, int(LastFrame()));
    }
    m_inMark = 0;
    m_outMark = LastFrame();
    m_slider->SetRangeMarks(m_inMark, m_outMark);
    SetLibraryFrames({});
    Q_EMIT videoOpened(path);
    m_slider->setEnabled(m_slider->maximum() != 0);
    m_pGraph->SetRate(rate);
    MoveTo(frame);
    return true;
}

void CSourceDlg::OpenVideoFile()
{
    const QString path = QFileDialog::getOpenFileName(window(), tr("Open Video Files"), QString(), VideoFileFilters(),
                                                      nullptr, kVideoFileDialogOptions);
    if (path.isEmpty())
        return;
    if (LoadVideo(path, m_rate, 0))
        FocusPicture();
}

void CSourceDlg::FocusPicture()
{
    m_videoArea->setFocus(Qt::OtherFocusReason);
}

void CSourceDlg::ShowClip(const CClipObj& item)
{
    const auto frame = std::uint32_t(std::max(item.GetNumber(), 0));
    if (m_fileInfo.GetFileName() != item.GetSource()) {
        LoadVideo(item.GetSource(), m_rate, frame);
        return;
    }
    MoveTo(frame);
}

void CSourceDlg::Play()
{
    m_pGraph->Play();
    Q_EMIT stateChanged();
}

// After playing, the counter, the screen and the engine are lined up on the frame on screen: the
// seek's new generation also drops a picture still on its way, so nothing else appears after it.
void CSourceDlg::Pause()
{
    m_pGraph->Pause();
    MoveTo(std::uint32_t(m_pGraph->GetCurFrame()));
}

void CSourceDlg::Stop()
{
    m_pGraph->Stop();
    MoveTo(std::uint32_t(m_pGraph->GetCurFrame()));
}

void CSourceDlg::MoveTo(std::uint32_t frame)
{
    // Frame numbers from stored items may lie beyond a file that was cut or encoded again since.
    m_curFrame = std::min(frame, LastFrame());
    {
        const QSignalBlocker block(m_slider);
        m_slider->setValue(int(m_curFrame));
    }
    m_pGraph->SeekTo(m_curFrame);
    ShowTimecode();
    Q_EMIT stateChanged();
}

void CSourceDlg::Head()
{
    MoveTo(0);
}

void CSourceDlg::PreviousSecond()
{
    MoveTo(m_curFrame <= kSecondStep ? 0 : m_curFrame - kSecondStep);
}

void CSourceDlg::PreviousFrame()
{
    if (m_curFrame > 0)
        MoveTo(m_curFrame - 1);
}

void CSourceDlg::NextFrame()
{
    if (m_curFrame < LastFrame())
        MoveTo(m_curFrame + 1);
}

void CSourceDlg::NextSecond()
{
    MoveTo(std::min(m_curFrame + kSecondStep, LastFrame()));
}

void CSourceDlg::Tail()
{
    MoveTo(LastFrame());
}

void CSourceDlg::ResetRate()
{
    m_rate = 1.0;
    m_pGraph->SetRate(m_rate);
    ShowStatusLine();
}

void CSourceDlg::RateUp()
{
    m_rate *= kRateFactor;
    m_pGraph->SetRate(m_rate);
    ShowStatusLine();
}

void CSourceDlg::RateDown()
{
    m_rate /= kRateFactor;
    m_pGraph->SetRate(m_rate);
    ShowStatusLine();
}

void CSourceDlg::ShowTimecode()
{
    m_timecode->SetTimecode(m_fileInfo.GetSysRef().FrameToTCString(m_curFrame));
    ShowStatusLine();
}

void CSourceDlg::ShowStatusLine()
{
    if (!IsOpen()) {
        m_statusLine->clear();
        return;
    }
    const CSysRef ref = m_fileInfo.GetSysRef();
    const auto count = std::uint32_t(std::max<std::int64_t>(m_fileInfo.GetFrameCount(), 0));
    QStringList parts{QFileInfo(m_fileInfo.GetFileName()).fileName(), tr("frame %1 of %2").arg(m_curFrame).arg(count),
                      QStringLiteral("%1 / %2").arg(ClockText(ref.FrameToSec(m_curFrame)), ClockText(ref.FrameToSec(count)))};
    const QString rate = QString::number(m_rate, 'f', 2);
    if (rate != QLatin1String("1.00"))
        parts.append(rate + QChar(0x00D7));
    const QString text = parts.join(QStringLiteral("   "));
    if (m_statusLine->text() != text)
        m_statusLine->setText(text);
}

// Follows playback. Everything else that changes the position or the state reports it itself, so
// while nothing plays (but for the tick after it stopped) there is nothing to follow.
void CSourceDlg::OnTimer()
{
    const bool playing = m_pGraph->IsPlaying();
    if (!playing && !std::exchange(m_followedPlayback, false))
        return;
    m_followedPlayback = playing;
    if (playing)
        m_curFrame = std::uint32_t(m_pGraph->GetCurFrame());
    if (m_slider->value() != int(m_curFrame)) {
        const QSignalBlocker block(m_slider);
        m_slider->setValue(int(m_curFrame));
    }
    ShowTimecode();
    Q_EMIT stateChanged();
}

void CSourceDlg::OnSliderMoved(int position)
{
    MoveTo(std::uint32_t(std::max(position, 0)));
}

void CSourceDlg::OnGraphEvent(QObject* notify, long code, long, long)
{
    auto* dialog = qobject_cast<CSourceDlg*>(notify);
    if (!dialog || (code != graphevents::kComplete && code != graphevents::kUserAbort && code != graphevents::kErrorAbort))
        return;
    // Played to the end, or aborted: stop and rewind.
    dialog->m_pGraph->Stop();
    dialog->MoveTo(0);
}

bool CSourceDlg::event(QEvent* event)
{
    if (event->type() == graphevents::kGraphNotify) {
        m_pGraph->ProcessGraphEvents(&CSourceDlg::OnGraphEvent);
        return true;
    }
    return QWidget::event(event);
}

void CSourceDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutControls();
}

void CSourceDlg::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}

void CSourceDlg::LayoutControls()
{
    const QSize t = m_timecode->sizeHint().expandedTo(QSize(180, 32));
    const int sliderHeight = m_slider->sizeHint().height();
    const int lineHeight = m_statusLine->fontMetrics().height() + 4;
    m_timecode->setGeometry((width() - t.width()) / 2, 5, t.width(), t.height());
    m_statusLine->setGeometry(0, height() - lineHeight, width(), lineHeight);
    m_slider->setGeometry(0, height() - lineHeight - sliderHeight, width(), sliderHeight);
    const int top = t.height() + 10;
    m_videoArea->setGeometry(5, top, std::max(1, width() - 10), std::max(1, height() - lineHeight - sliderHeight - 5 - top));
    m_pGraph->SetVideoWindow(m_videoArea);
}

QSlider* CSourceDlg::Slider() const
{
    return m_slider;
}

void CSourceDlg::SetInMark()
{
    if (!IsOpen())
        return;
    m_inMark = m_curFrame;
    if (m_outMark < m_inMark)
        m_outMark = LastFrame();
    m_slider->SetRangeMarks(m_inMark, m_outMark);
    Q_EMIT status(tr("In mark at frame %1").arg(m_inMark));
}

void CSourceDlg::SetOutMark()
{
    if (!IsOpen())
        return;
    m_outMark = m_curFrame;
    if (m_inMark > m_outMark)
        m_inMark = 0;
    m_slider->SetRangeMarks(m_inMark, m_outMark);
    Q_EMIT status(tr("Out mark at frame %1").arg(m_outMark));
}

void CSourceDlg::SetLibraryFrames(std::map<std::uint32_t, QString> frames)
{
    m_libraryFrames = std::move(frames);
    std::vector<std::uint32_t> marked;
    marked.reserve(m_libraryFrames.size());
    for (const auto& entry : m_libraryFrames)
        marked.push_back(entry.first);
    m_slider->SetGrabbedFrames(std::move(marked));
}

void CSourceDlg::GrabRange()
{
    if (!IsOpen() || m_rangeGrab)
        return;
    if (IsPlaying())
        Pause();
    const CSysRef ref = m_fileInfo.GetSysRef();
    CRangeGrabDlg dialog(m_inMark, m_outMark, ref.FrameToTCString(m_inMark), ref.FrameToTCString(m_outMark), this);
    if (dialog.exec() != QDialog::Accepted || !IsOpen())
        return;
    StartRangeGrab(RangeFrames(dialog.Choice()));
}

CRangeGrab* CSourceDlg::StartRangeGrab(std::vector<std::int64_t> frames)
{
    if (!IsOpen() || m_rangeGrab || frames.empty())
        return nullptr;
    m_rangeGrab = std::make_unique<CRangeGrab>(m_fileInfo.GetFileName(), m_fileInfo.Source()->Index(), std::move(frames),
                                               GrabDestination::FromSettings(), m_clipSink);
    m_rangeStartMs = QDateTime::currentMSecsSinceEpoch();
    // Window-modal: the library's selected folder, where the items go, stays as it was.
    m_rangeProgress = new QProgressDialog(this);
    m_rangeProgress->setObjectName(QStringLiteral("RangeGrabProgress"));
    m_rangeProgress->setWindowTitle(tr("Grab Range"));
    m_rangeProgress->setWindowModality(Qt::WindowModal);
    m_rangeProgress->setAutoClose(false);
    m_rangeProgress->setAutoReset(false);
    m_rangeProgress->setRange(0, m_rangeGrab->Total());
    m_rangeProgress->setMinimumDuration(300);
    m_rangeProgress->setValue(0);
    ShowRangeProgress();
    connect(m_rangeProgress, &QProgressDialog::canceled, m_rangeGrab.get(), &CRangeGrab::Cancel);
    connect(m_rangeGrab.get(), &CRangeGrab::progress, this, &CSourceDlg::ShowRangeProgress);
    connect(m_rangeGrab.get(), &CRangeGrab::finished, this, &CSourceDlg::RangeGrabFinished, Qt::QueuedConnection);
    Q_EMIT stateChanged();
    return m_rangeGrab.get();
}

void CSourceDlg::ShowRangeProgress()
{
    if (!m_rangeGrab || !m_rangeProgress)
        return;
    const int done = m_rangeGrab->Delivered(), total = m_rangeGrab->Total();
    QString left = tr("working out the time left");
    if (done > 0) {
        const double elapsedS = double(QDateTime::currentMSecsSinceEpoch() - m_rangeStartMs) / 1000.0;
        const int seconds = int(elapsedS / done * (total - done) + 0.5);
        left = seconds >= 60 ? tr("about %1 min %2 s left").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'))
                             : tr("about %1 s left").arg(seconds);
    }
    m_rangeProgress->setLabelText(tr("%1 of %2 frames grabbed, %3").arg(done).arg(total).arg(left));
    m_rangeProgress->setValue(done);
}

void CSourceDlg::RangeGrabFinished()
{
    if (!m_rangeGrab)
        return;
    const QString error = m_rangeGrab->Error();
    const int done = m_rangeGrab->Delivered(), total = m_rangeGrab->Total();
    // Both later: this may run inside the progress dialog's own event processing.
    std::exchange(m_rangeProgress, nullptr)->deleteLater();
    m_rangeGrab.release()->deleteLater();
    Q_EMIT status(tr("Range grab: %1 of %2 frames grabbed").arg(done).arg(total));
    if (!error.isEmpty())
        Q_EMIT problem(error);
    Q_EMIT stateChanged();
}

void CSourceDlg::StopRangeGrab()
{
    if (!m_rangeGrab)
        return;
    m_rangeGrab.reset();  // stops and joins its threads, then delivers
    delete std::exchange(m_rangeProgress, nullptr);
    Q_EMIT stateChanged();
}
