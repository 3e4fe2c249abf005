#include "ceditpane.h"

#include "ceditdlg.h"
#include "commandaction.h"
#include "resource.h"

#include <QAction>
#include <QLoggingCategory>

using namespace kestivo::ids;

namespace {

Q_LOGGING_CATEGORY(lcPreviewPane, "kestivo.preview", QtInfoMsg)

}  // namespace

CEditPane::CEditPane(QWidget* parent)
    : CCommandPane(QString::fromLatin1(kestivo::text::kPreviewPane), QStringLiteral("PreviewPane"), parent)
{
    m_pDlg = new CEditDlg(this);
    SetDialog(m_pDlg);

    AddEditCommand(ID_PREVIEW_ZOOMIN, "zoomin", tr("Zoom In"), tr("Zoom In"), {Qt::Key_Plus, QKeySequence::ZoomIn},
                   &CEditDlg::ZoomIn);
    AddEditCommand(ID_PREVIEW_ZOOMOUT, "zoomout", tr("Zoom Out"), tr("Zoom Out"), {Qt::Key_Minus, QKeySequence::ZoomOut},
                   &CEditDlg::ZoomOut);
    AddSeparator();
    AddEditCommand(ID_PREVIEW_ORIGINALSIZE, "originalsize", tr("Original Size"), tr("Original Size"),
                   {Qt::Key_1, Qt::Key_0}, &CEditDlg::ShowOriginalSize);
    AddEditCommand(ID_PREVIEW_FITSIZE, "fitsize", tr("Fit Size"), tr("Fit Size"), {Qt::Key_F}, &CEditDlg::FitToWindow);
    AddSeparator();
    AddEditCommand(ID_PREVIEW_JUMP, "jump", tr("Show the file in the file manager"), tr("Jump"), {Qt::Key_J}, &CEditDlg::OpenFolder);
    AddEditCommand(ID_PREVIEW_EDIT, "edit", tr("Open the file in an image editor"), tr("Edit"), {Qt::Key_E}, &CEditDlg::EditImage);
    Action(ID_PREVIEW_ZOOMIN)->setCheckable(true);
    Action(ID_PREVIEW_ZOOMOUT)->setCheckable(true);
    // Ctrl+C: not on the toolbar, the Edit menu offers it; acts while the canvas has the focus.
    m_copy = MakeCommandAction(this, ID_EDIT_COPY, "", tr("Copy the picture shown to the clipboard"), tr("Copy"),
                               {QKeySequence(QKeySequence::Copy)});
    m_pDlg->addAction(m_copy);
    connect(m_copy, &QAction::triggered, m_pDlg, &CEditDlg::CopyImage);

    connect(m_pDlg, &CEditDlg::stateChanged, this, &CEditPane::UpdateCommands);
    connect(m_pDlg, &CEditDlg::stateChanged, this, [this] {
        if (const CClipObj* clip = m_pDlg->Clip())
            qCDebug(lcPreviewPane) << "showing" << clip->GetPath()
                                   << (m_pDlg->IsFitToWindow() ? "fitted at zoom" : "at zoom") << m_pDlg->Zoom();
    });
    UpdateCommands();

    m_pDlg->setAccessibleName(tr("Preview image"));
    m_pDlg->setAccessibleDescription(
        tr("The library image shown: + and - zoom, 1 shows it pixel for pixel, F fits it into the pane"));
}

CEditPane::~CEditPane() = default;

QAction* CEditPane::AddEditCommand(int id, const char* icon, const QString& prompt, const QString& tip,
                                   const QList<QKeySequence>& keys, void (CEditDlg::*handler)())
{
    QAction* action = AddCommand(id, icon, prompt, tip, keys, m_pDlg, handler);
    // A checkable button flips its own mark when pressed; the canvas's state decides it.
    connect(action, &QAction::triggered, this, &CEditPane::UpdateCommands);
    return action;
}

void CEditPane::UpdateCommands()
{
    const bool shown = m_pDlg->HasImage();
    for (const int id : {ID_PREVIEW_ZOOMIN, ID_PREVIEW_ZOOMOUT, ID_PREVIEW_ORIGINALSIZE, ID_PREVIEW_FITSIZE,
                         ID_PREVIEW_JUMP, ID_PREVIEW_EDIT})
        SetCommandEnabled(id, shown);
    m_copy->setEnabled(shown);
    Action(ID_PREVIEW_ZOOMIN)->setChecked(m_pDlg->IsZoomInChecked());
    Action(ID_PREVIEW_ZOOMOUT)->setChecked(m_pDlg->IsZoomOutChecked());
}
