#include "panelayouts.h"

#include <QDockWidget>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QPointer>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace panelayout {

namespace {

constexpr std::array<Layout, 4> kLayouts{{
    {kUpLeft, "Source Pane: UpLeft", ":/icons/layout_upleft.svg", false, false},
    {kUpRight, "Source Pane: UpRight", ":/icons/layout_upright.svg", false, true},
    {kDownLeft, "Source Pane: DownLeft", ":/icons/layout_downleft.svg", true, false},
    {kDownRight, "Source Pane: DownRight", ":/icons/layout_downright.svg", true, true},
}};

// resizeDocks() only sets the share of the pane it is given; the layout then hands out what is
// left over by the panes' stretch, which would widen the preview as well. Giving the source
// group exactly the rest of the band leaves nothing over, so the preview keeps its width. The
// band's width is only known once the layout has placed the panes, hence the activate() first.
void SetSizes(QMainWindow* frame, QDockWidget* preview, QDockWidget* front)
{
    // Only the front tab is placed in the band; the others wait off the window. A frame shown
    // after the tabs were made fronts its first tab, so the front one is raised again here.
    front->raise();
    frame->layout()->activate();
    const QRect band = preview->geometry().united(front->geometry());
    const int separator = frame->style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, frame);
    const int rest = std::max(1, band.width() - kPreviewWidth - separator);
    frame->resizeDocks({preview}, {kBandHeight}, Qt::Vertical);
    frame->resizeDocks({preview, front}, {kPreviewWidth, rest}, Qt::Horizontal);
    frame->layout()->activate();
}

// A frame not shown yet has no final size: its first show lays it out again and shares the band
// anew. The sizes wait for that show; queued so that the geometry the show brings is in place.
constexpr char kPendingSizes[] = "PendingLayoutSizes";

class SizesOnShow : public QObject {
public:
    SizesOnShow(QMainWindow* frame, QDockWidget* preview, QDockWidget* front)
        : QObject(frame), m_frame(frame), m_preview(preview), m_front(front)
    {
        setObjectName(QLatin1String(kPendingSizes));
        frame->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_frame && event->type() == QEvent::Show) {
            m_frame->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                if (m_preview && m_front && m_frame->isVisible())
                    SetSizes(m_frame, m_preview, m_front);
                deleteLater();
            });
        }
        return false;
    }

private:
    QMainWindow* m_frame;
    QPointer<QDockWidget> m_preview;
    QPointer<QDockWidget> m_front;
};

}  // namespace

const Layout& For(int id)
{
    for (const Layout& layout : kLayouts) {
        if (layout.id == id)
            return layout;
    }
    return kLayouts.front();
}

const std::array<Layout, 4>& All()
{
    return kLayouts;
}

void Apply(QMainWindow* frame, int id, QDockWidget* preview, QDockWidget* source, const QList<QDockWidget*>& cams)
{
    const Layout& layout = For(id);
    QList<QDockWidget*> panes{preview, source};
    panes.append(cams);

    // The band is built from nothing, so no trace of the user's arrangement (splits, tab groups,
    // panes on other edges) can end up in it. A floating pane is first docked back, for the
    // layout only moves docked panes.
    for (QDockWidget* pane : std::as_const(panes)) {
        pane->setFloating(false);
        frame->removeDockWidget(pane);
    }

    const Qt::DockWidgetArea area = layout.bottom ? Qt::BottomDockWidgetArea : Qt::TopDockWidgetArea;
    QDockWidget* left = layout.sourceRight ? preview : source;
    QDockWidget* right = layout.sourceRight ? source : preview;
    frame->addDockWidget(area, left);
    frame->splitDockWidget(left, right, Qt::Horizontal);
    QDockWidget* previous = source;
    for (QDockWidget* cam : cams) {
        frame->tabifyDockWidget(previous, cam);
        previous = cam;
    }

    // removeDockWidget() hid them all, and a closed pane is to come back too.
    for (QDockWidget* pane : std::as_const(panes))
        pane->show();
    QDockWidget* front = cams.isEmpty() ? source : cams.last();
    front->raise();

    CancelPendingSizes(frame);  // only the last layout's sizes wait for the show
    if (frame->isVisible())
        SetSizes(frame, preview, front);
    else
        new SizesOnShow(frame, preview, front);
}

void CancelPendingSizes(QMainWindow* frame)
{
    for (QObject* pending : frame->findChildren<QObject*>(QLatin1String(kPendingSizes), Qt::FindDirectChildrenOnly)) {
        frame->removeEventFilter(pending);
        delete pending;
    }
}

}  // namespace panelayout
