#include "ceditpane.h"

#include "ceditdlg.h"
#include "commandaction.h"
#include "resource.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>

using namespace kestivo::ids;

CEditPane::CEditPane(QWidget* parent) : QDockWidget(QString::fromLatin1(kestivo::text::kPreviewPane), parent)
{
    setObjectName(QStringLiteral("PreviewPane"));
    auto* body = new QWidget(this);
    m_wndPaneToolBar = new QToolBar(body);
    m_wndPaneToolBar->setObjectName(QStringLiteral("PreviewPaneToolBar"));
    m_wndPaneToolBar->setIconSize(QSize(20, 20));
    m_pDlg = new CEditDlg(body);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_wndPaneToolBar);
    layout->addWidget(m_pDlg, 1);
    setWidget(body);
    body->setFocusProxy(m_pDlg);
    setFocusProxy(m_pDlg);

    AddCommand(ID_PREVIEW_ZOOMIN, "zoomin", tr("Zoom In"), tr("Zoom In"), {Qt::Key_Plus, QKeySequence::ZoomIn},
               &CEditDlg::ZoomIn);
    AddCommand(ID_PREVIEW_ZOOMOUT, "zoomout", tr("Zoom Out"), tr("Zoom Out"), {Qt::Key_Minus, QKeySequence::ZoomOut},
               &CEditDlg::ZoomOut);
    m_wndPaneToolBar->addSeparator();
    AddCommand(ID_PREVIEW_ORIGINALSIZE, "originalsize", tr("Original Size"), tr("Original Size"), {Qt::Key_1, Qt::Key_0},
               &CEditDlg::ShowOriginalSize);
    AddCommand(ID_PREVIEW_FITSIZE, "fitsize", tr("Fit Size"), tr("Fit Size"), {Qt::Key_F}, &CEditDlg::FitToWindow);
    m_wndPaneToolBar->addSeparator();
    AddCommand(ID_PREVIEW_JUMP, "jump", tr("Jump to explorer"), tr("Jump"), {Qt::Key_J}, &CEditDlg::OpenFolder);
    AddCommand(ID_PREVIEW_EDIT, "edit", tr("Jump to mspaint"), tr("Edit"), {Qt::Key_E}, &CEditDlg::EditImage);
    Action(ID_PREVIEW_ZOOMIN)->setCheckable(true);
    Action(ID_PREVIEW_ZOOMOUT)->setCheckable(true);

    connect(m_pDlg, &CEditDlg::stateChanged, this, &CEditPane::UpdateCommands);
    UpdateCommands();
}

CEditPane::~CEditPane() = default;

QAction* CEditPane::AddCommand(int id, const char* icon, const QString& prompt, const QString& tip,
                               const QList<QKeySequence>& keys, void (CEditDlg::*handler)())
{
    QAction* action = MakeCommandAction(this, id, icon, prompt, tip, keys);
    m_wndPaneToolBar->addAction(action);
    widget()->addAction(action);
    connect(action, &QAction::triggered, m_pDlg, handler);
    // A checkable button flips its own mark when pressed; the canvas's state decides it.
    connect(action, &QAction::triggered, this, &CEditPane::UpdateCommands);
    m_actions.insert(id, action);
    return action;
}

void CEditPane::UpdateCommands()
{
    const bool shown = m_pDlg->HasImage();
    for (QAction* action : std::as_const(m_actions))
        action->setEnabled(shown);
    Action(ID_PREVIEW_ZOOMIN)->setChecked(m_pDlg->IsZoomInChecked());
    Action(ID_PREVIEW_ZOOMOUT)->setChecked(m_pDlg->IsZoomOutChecked());
}
