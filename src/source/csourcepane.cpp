#include "csourcepane.h"

#include "csourcedlg.h"
#include "commandaction.h"
#include "resource.h"

#include "ctimecodectrl.h"

#include <QAction>
#include <QLoggingCategory>
#include <QSlider>
#include <utility>

using namespace kestivo::ids;

namespace {

Q_LOGGING_CATEGORY(lcSourcePane, "kestivo.source", QtInfoMsg)

}  // namespace

CSourcePane::CSourcePane(QWidget* parent)
    : CCommandPane(QString::fromLatin1(kestivo::text::kSourcePane), QStringLiteral("SourcePane"), parent)
{
    m_pDlg = new CSourceDlg(this);
    SetDialog(m_pDlg);

    AddSourceCommand(ID_SOURCE_OPEN, "open", tr("Open Video Files"), tr("Open"), QKeySequence::Open, &CSourceDlg::OpenVideoFile);
    AddSeparator();
    AddSourceCommand(ID_SOURCE_PLAY, "play", tr("Play the clip"), tr("Play"), Qt::Key_Space, &CSourceDlg::Play);
    AddSourceCommand(ID_SOURCE_PAUSE, "pause", tr("Pause"), tr("Pause"), Qt::Key_Space, &CSourceDlg::Pause);
    AddSourceCommand(ID_SOURCE_STOP, "stop", tr("Stop"), tr("Stop"), Qt::Key_S, &CSourceDlg::Stop);
    AddSeparator();
    AddSourceCommand(ID_SOURCE_HEAD, "head", tr("Head"), tr("Head"), Qt::Key_Home, &CSourceDlg::Head);
    AddSourceCommand(ID_SOURCE_PREVSEC, "prevsec", tr("Previous Second"), tr("PreSec"), Qt::SHIFT | Qt::Key_Left,
                     &CSourceDlg::PreviousSecond);
    AddSourceCommand(ID_SOURCE_PREVFRAME, "prevframe", tr("Previous Frame"), tr("Previous Frame"), Qt::Key_Left,
                     &CSourceDlg::PreviousFrame);
    AddSourceCommand(ID_SOURCE_NEXTFRAME, "nextframe", tr("Next Frame"), tr("Next Frame"), Qt::Key_Right, &CSourceDlg::NextFrame);
    AddSourceCommand(ID_SOURCE_NEXTSEC, "nextsec", tr("Next Second"), tr("Next Second"), Qt::SHIFT | Qt::Key_Right,
                     &CSourceDlg::NextSecond);
    AddSourceCommand(ID_SOURCE_TAIL, "tail", tr("Tail"), tr("Tail"), Qt::Key_End, &CSourceDlg::Tail);
    AddSeparator();
    AddSourceCommand(ID_SOURCE_RATE, "rate", tr("Rate"), tr("Rate"), Qt::Key_Equal, &CSourceDlg::ResetRate);
    AddSourceCommand(ID_SOURCE_RATEUP, "rateup", tr("Rateup"), tr("Rateup"), Qt::Key_BracketRight, &CSourceDlg::RateUp);
    AddSourceCommand(ID_SOURCE_RATEDOWN, "ratedown", tr("Ratedown"), tr("Ratedown"), Qt::Key_BracketLeft, &CSourceDlg::RateDown);
    AddSeparator();
    AddSourceCommand(ID_SOURCE_MARKIN, "markin", tr("Set the In mark on this frame"), tr("Mark In"), Qt::Key_I,
                     &CSourceDlg::SetInMark);
    AddSourceCommand(ID_SOURCE_MARKOUT, "markout", tr("Set the Out mark on this frame"), tr("Mark Out"), Qt::Key_O,
                     &CSourceDlg::SetOutMark);
    AddSeparator();
    AddSourceCommand(ID_SOURCE_GRABRANGE, "grabrange", tr("Grab frames between the In and Out marks"), tr("Grab Range..."),
                     Qt::SHIFT | Qt::Key_G, &CSourceDlg::GrabRange);
    // Grab Image last: the button Shift+Tab reaches from the dialog.
    AddSourceCommand(ID_SOURCE_GRAB, "grab", tr("Grab Image"), tr("Grab Image"), Qt::Key_G, nullptr);
    connect(Action(ID_SOURCE_GRAB), &QAction::triggered, m_pDlg, [this] { m_pDlg->GrabFrame(); });
    AddCopyFrameCommand();
    // Playing, stepping and grabbing answer anywhere in the main window, not only in the pane,
    // unless the widget with the focus uses the key itself (it keeps it, see KeepKeysInWidget).
    for (const int id : {ID_SOURCE_PLAY, ID_SOURCE_PAUSE, ID_SOURCE_HEAD, ID_SOURCE_PREVSEC, ID_SOURCE_PREVFRAME,
                         ID_SOURCE_NEXTFRAME, ID_SOURCE_NEXTSEC, ID_SOURCE_TAIL, ID_SOURCE_GRAB})
        Action(id)->setShortcutContext(Qt::WindowShortcut);

    connect(m_pDlg, &CSourceDlg::stateChanged, this, &CSourcePane::UpdateCommands);
    // Each new position once, so that a session of keys can be followed in the log; the ticks of
    // playback that stay on a frame say nothing.
    connect(m_pDlg, &CSourceDlg::stateChanged, this, [this, shown = std::pair<QString, std::uint32_t>()]() mutable {
        const std::pair now(m_pDlg->FileName(), m_pDlg->CurrentFrame());
        if (now != shown && m_pDlg->IsOpen())
            qCDebug(lcSourcePane) << "at frame" << now.second << "of" << now.first;
        shown = now;
    });
    UpdateCommands();

    // What a screen reader calls the dialog and its controls.
    m_pDlg->setAccessibleName(tr("Video source"));
    m_pDlg->setAccessibleDescription(tr("The open video: the arrow keys step through its frames, G grabs the frame shown"));
    m_pDlg->Timecode()->setAccessibleName(tr("Current frame"));
    m_pDlg->Timecode()->setAccessibleDescription(tr("The current frame's place: hours, minutes, seconds and frames"));
    m_pDlg->Slider()->setAccessibleName(tr("Position"));
    m_pDlg->Slider()->setAccessibleDescription(m_pDlg->Slider()->toolTip());
    if (QWidget* video = m_pDlg->findChild<QWidget*>(QStringLiteral("VideoArea"))) {
        video->setAccessibleName(tr("Video"));
        video->setAccessibleDescription(tr("The current frame of the open video"));
    }
}

CSourcePane::~CSourcePane() = default;

// Ctrl+C copies the frame shown. Not on the toolbar (the Edit menu offers it); its key acts while
// the focus is in the dialog, the video or its controls.
void CSourcePane::AddCopyFrameCommand()
{
    QAction* copy = MakeCommandAction(this, ID_EDIT_COPY, "", tr("Copy the frame shown to the clipboard"),
                                      tr("Copy Frame"), {QKeySequence(QKeySequence::Copy)});
    m_pDlg->addAction(copy);
    connect(copy, &QAction::triggered, m_pDlg, [this] { m_pDlg->CopyFrame(); });
    const auto enable = [this, copy] { copy->setEnabled(m_pDlg->IsOpen()); };
    connect(m_pDlg, &CSourceDlg::stateChanged, copy, enable);
    enable();
}

QAction* CSourcePane::AddSourceCommand(int id, const char* icon, const QString& prompt, const QString& tip,
                                       const QKeySequence& key, void (CSourceDlg::*handler)())
{
    if (!handler)
        return AddCommand(id, icon, prompt, tip, {key});
    return AddCommand(id, icon, prompt, tip, {key}, m_pDlg, handler);
}

void CSourcePane::UpdateCommands()
{
    const bool open = m_pDlg->IsOpen();
    const bool playing = open && m_pDlg->IsPlaying();
    const bool atHead = m_pDlg->CurrentFrame() == 0;
    const bool atTail = m_pDlg->CurrentFrame() == m_pDlg->LastFrame();
    const auto set = [this](int id, bool enabled) { SetCommandEnabled(id, enabled); };
    set(ID_SOURCE_OPEN, true);
    set(ID_SOURCE_PLAY, open && !playing);
    set(ID_SOURCE_PAUSE, playing);
    set(ID_SOURCE_STOP, playing);
    for (const int id : {ID_SOURCE_HEAD, ID_SOURCE_PREVSEC, ID_SOURCE_PREVFRAME})
        set(id, open && !atHead);
    for (const int id : {ID_SOURCE_NEXTFRAME, ID_SOURCE_NEXTSEC, ID_SOURCE_TAIL})
        set(id, open && !atTail);
    for (const int id : {ID_SOURCE_RATE, ID_SOURCE_RATEUP, ID_SOURCE_RATEDOWN, ID_SOURCE_GRAB, ID_SOURCE_MARKIN, ID_SOURCE_MARKOUT})
        set(id, open);
    set(ID_SOURCE_GRABRANGE, open && !m_pDlg->RangeGrab());
}
