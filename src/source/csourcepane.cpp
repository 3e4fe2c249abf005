#include "csourcepane.h"

#include "csourcedlg.h"
#include "commandaction.h"
#include "resource.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>

using namespace kestivo::ids;

CSourcePane::CSourcePane(QWidget* parent) : QDockWidget(QString::fromLatin1(kestivo::text::kSourcePane), parent)
{
    setObjectName(QStringLiteral("SourcePane"));
    auto* body = new QWidget(this);
    m_toolBar = new QToolBar(body);
    m_toolBar->setObjectName(QStringLiteral("SourcePaneToolBar"));
    m_toolBar->setIconSize(QSize(20, 20));
    m_pDlg = new CSourceDlg(body);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_pDlg, 1);
    setWidget(body);
    setFocusProxy(m_pDlg);

    AddCommand(ID_SOURCE_OPEN, "open", tr("Open Video Files"), tr("Open"), QKeySequence::Open, &CSourceDlg::OpenVideoFile);
    m_toolBar->addSeparator();
    AddCommand(ID_SOURCE_PLAY, "play", tr("Play the clip"), tr("Play"), Qt::Key_Space, &CSourceDlg::Play);
    AddCommand(ID_SOURCE_PAUSE, "pause", tr("Pause"), tr("Pause"), Qt::Key_Space, &CSourceDlg::Pause);
    AddCommand(ID_SOURCE_STOP, "stop", tr("Stop"), tr("Stop"), Qt::Key_S, &CSourceDlg::Stop);
    m_toolBar->addSeparator();
    AddCommand(ID_SOURCE_HEAD, "head", tr("Head"), tr("Head"), Qt::Key_Home, &CSourceDlg::Head);
    AddCommand(ID_SOURCE_PREVSEC, "prevsec", tr("Previous Second"), tr("PreSec"), Qt::SHIFT | Qt::Key_Left,
               &CSourceDlg::PreviousSecond);
    AddCommand(ID_SOURCE_PREVFRAME, "prevframe", tr("Previous Frame"), tr("Previous Frame"), Qt::Key_Left,
               &CSourceDlg::PreviousFrame);
    AddCommand(ID_SOURCE_NEXTFRAME, "nextframe", tr("Next Frame"), tr("Next Frame"), Qt::Key_Right, &CSourceDlg::NextFrame);
    AddCommand(ID_SOURCE_NEXTSEC, "nextsec", tr("Next Second"), tr("Next Second"), Qt::SHIFT | Qt::Key_Right,
               &CSourceDlg::NextSecond);
    AddCommand(ID_SOURCE_TAIL, "tail", tr("Tail"), tr("Tail"), Qt::Key_End, &CSourceDlg::Tail);
    m_toolBar->addSeparator();
    AddCommand(ID_SOURCE_RATE, "rate", tr("Rate"), tr("Rate"), Qt::Key_Equal, &CSourceDlg::ResetRate);
    AddCommand(ID_SOURCE_RATEUP, "rateup", tr("Rateup"), tr("Rateup"), Qt::Key_BracketRight, &CSourceDlg::RateUp);
    AddCommand(ID_SOURCE_RATEDOWN, "ratedown", tr("Ratedown"), tr("Ratedown"), Qt::Key_BracketLeft, &CSourceDlg::RateDown);
    m_toolBar->addSeparator();
    AddCommand(ID_SOURCE_GRAB, "grab", tr("Grab Image"), tr("Grab Image"), Qt::Key_G, nullptr);
    connect(Action(ID_SOURCE_GRAB), &QAction::triggered, m_pDlg, [this] { m_pDlg->GrabFrame(); });

    connect(m_pDlg, &CSourceDlg::stateChanged, this, &CSourcePane::UpdateCommands);
    UpdateCommands();
}

CSourcePane::~CSourcePane() = default;

QAction* CSourcePane::AddCommand(int id, const char* icon, const QString& prompt, const QString& tip,
                                 const QKeySequence& key, void (CSourceDlg::*handler)())
{
    QAction* action = MakeCommandAction(this, id, icon, prompt, tip, {key});
    m_toolBar->addAction(action);
    widget()->addAction(action);
    if (handler)
        connect(action, &QAction::triggered, m_pDlg, handler);
    m_actions.insert(id, action);
    return action;
}

void CSourcePane::UpdateCommands()
{
    const bool open = m_pDlg->IsOpen();
    const bool playing = open && m_pDlg->IsPlaying();
    const bool atHead = m_pDlg->CurrentFrame() == 0;
    const bool atTail = m_pDlg->CurrentFrame() == m_pDlg->LastFrame();
    const auto set = [this](int id, bool enabled) {
        if (QAction* action = Action(id))
            action->setEnabled(enabled);
    };
    set(ID_SOURCE_OPEN, true);
    set(ID_SOURCE_PLAY, open && !playing);
    set(ID_SOURCE_PAUSE, playing);
    set(ID_SOURCE_STOP, playing);
    for (const int id : {ID_SOURCE_HEAD, ID_SOURCE_PREVSEC, ID_SOURCE_PREVFRAME})
        set(id, open && !atHead);
    for (const int id : {ID_SOURCE_NEXTFRAME, ID_SOURCE_NEXTSEC, ID_SOURCE_TAIL})
        set(id, open && !atTail);
    for (const int id : {ID_SOURCE_RATE, ID_SOURCE_RATEUP, ID_SOURCE_RATEDOWN, ID_SOURCE_GRAB})
        set(id, open);
}
