#include "ckestivoview.h"

#include "clipcaption.h"
#include "cliptransfer.h"
#include "imagefileremoval.h"
#include "nodeobj.h"
#include "librarylog.h"
#include "libraryprompts.h"

#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QFileInfo>
#include <QHash>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <vector>

namespace {

// Shows the busy cursor for as long as it lives.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

CKestivoView::CKestivoView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("KestivoView"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Always there, so that the columns never depend on whether the rows overflow.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    SetBackColor(MakeColorRef(0xBA, 0xD2, 0xE0));
    setToolTip(tr("Click to select, Ctrl+click to add, drag over empty space to select several; "
                  "double-click or Enter previews"));
    UpdateLayout();
}

void CKestivoView::SetBackColor(ColorRef color)
{
    m_backColor = ToQColor(color);
    viewport()->update();
}

void CKestivoView::SetImageDirSource(std::function<QString()> source)
{
    m_imageDir = std::move(source);
    viewport()->update();
}

QString CKestivoView::EmptyFolderText() const
{
    const QString dir = m_imageDir ? m_imageDir() : QString();
    const QString text = tr("No grabs in this folder yet.\nA grab lands in the folder selected in the tree");
    return dir.isEmpty() ? text + QLatin1Char('.')
                         : text + tr(",\nits file in %1").arg(QDir::toNativeSeparators(dir));
}

CMyList<CClipObj>* CKestivoView::ClipList() const
{
    return m_pFolder ? &m_pFolder->GetClipList() : nullptr;
}

int CKestivoView::Count() const
{
    return m_pFolder ? int(m_pFolder->GetClipList().GetCount()) : 0;
}

void CKestivoView::ShowFolder(CNodeObj* folder)
{
    const WaitCursor wait;
    DeselectAll();
    m_pFolder = folder;
    m_bBanding = false;
    m_nPressed = m_nSoloOnRelease = -1;
    PruneMissingFiles();
    CountSelected();
    m_nTopRow = 0;  // a folder is shown from its top
    UpdateLayout();
    viewport()->update();
    if (folder)
        qCDebug(lcLibrary) << "showing folder" << folder->GetName() << "with" << Count() << "items";
    Q_EMIT selectionChanged();
}

// An item whose file was deleted outside the program goes, and so does one whose path now names
// something that is no image file (a directory, a device). But when the folder that held the file
// is gone too (an unplugged drive, an unmounted share), the items stay, drawn from their stored
// thumbnails: pruning them would empty the library of everything on that drive.
void CKestivoView::PruneMissingFiles()
{
    if (!m_pFolder)
        return;
    QHash<QString, bool> folderExists;
    std::vector<ClipRef> refs;
    const auto pruned = m_pFolder->TakeClips([&folderExists](const CClipObj* clip) {
        const QFileInfo file(clip->GetPath());
        if (file.isFile())
            return false;
        const QString folder = file.absolutePath();
        auto known = folderExists.constFind(folder);
        if (known == folderExists.constEnd())
            known = folderExists.insert(folder, QFileInfo(folder).isDir());
        return *known;
    }, &refs);
    if (pruned.empty())
        return;
    if (CLibraryObserver* observer = m_pFolder->Observer())
        observer->ClipsRemoved(*m_pFolder, refs);
    Q_EMIT itemsRemoved();
}

void CKestivoView::UpdateLayout()
{
    const QSize client = viewport()->size();
    m_nColumns = std::max(1, (client.width() - kGapX) / kColumnPitch);
    m_nVisibleRows = std::max(1, (client.height() - kGapY) / kRowPitch);
    m_nTotalRows = std::max(1, (Count() + m_nColumns - 1) / m_nColumns);
    m_nTopRow = std::max(0, std::min(m_nTopRow, m_nTotalRows - m_nVisibleRows));

    m_inLayout = true;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, DocumentHeight() - client.height()));
    bar->setPageStep(m_nVisibleRows * kRowPitch);
    bar->setSingleStep(kRowPitch);
    bar->setValue(m_nTopRow * kRowPitch);
    m_inLayout = false;
}

int CKestivoView::DocumentHeight() const
{
    return m_nTotalRows * kRowPitch + m_nVisibleRows;
}

int CKestivoView::ScrollPosition() const
{
    return verticalScrollBar()->value();
}

void CKestivoView::SetScrollPosition(int position)
{
    verticalScrollBar()->setValue(position);
}

void CKestivoView::scrollContentsBy(int, int)
{
    if (!m_inLayout)
        m_nTopRow = ScrollPosition() / kRowPitch;
    viewport()->update();
}

void CKestivoView::ScrollToItem(int index)
{
    const int row = std::max(index, 0) / m_nColumns;
    const int page = row / m_nVisibleRows;
    SetScrollPosition(page * m_nVisibleRows * kRowPitch);
    m_nTopRow = page * m_nVisibleRows;
    viewport()->update();
}

QRect CKestivoView::GetItemRect(int index) const
{
    const int left = kGapX + (index % m_nColumns) * kColumnPitch;
    const int top = kGapY + (index / m_nColumns) * kRowPitch - ScrollPosition();
    return QRect(left, top, kCellWidth, kCellHeight);
}

// Arithmetic on the grid rather than a walk over the items, so that a click costs the same in a
// folder of ten thousand items as in one of ten.
int CKestivoView::HitTest(const QPoint& point) const
{
    const int x = point.x() - kGapX;
    const int y = point.y() + ScrollPosition() - kGapY;
    if (x < 0 || y < 0)
        return -1;
    const int column = x / kColumnPitch;
    const int row = y / kRowPitch;
    if (column >= m_nColumns || x % kColumnPitch >= kCellWidth || y % kRowPitch >= kCellHeight)
        return -1;
    const int index = row * m_nColumns + column;
    return index < Count() ? index : -1;
}

void CKestivoView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateLayout();
    viewport()->update();
}

// Only the rows that meet the region to repaint are drawn: the cost of a paint follows the size
// of the window, not the size of the folder.
void CKestivoView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect area = event->rect();
    painter.fillRect(area, m_backColor);
    const int count = Count();
    if (count > 0) {
        const int scroll = ScrollPosition();
        const int firstRow = std::max(0, (area.top() + scroll - kGapY) / kRowPitch);
        const int lastRow = std::max(0, (area.bottom() + scroll - kGapY) / kRowPitch);
        const int last = std::min(count - 1, (lastRow + 1) * m_nColumns - 1);
        for (int i = firstRow * m_nColumns; i <= last; ++i) {
            if (GetItemRect(i).intersects(area))
                DrawItem(painter, i);
        }
    } else if (m_pFolder) {
        DrawEmptyFolder(painter);
    }
    if (m_bBanding)
        DrawBand(painter);
}

void CKestivoView::DrawEmptyFolder(QPainter& painter) const
{
    // Dark text on the light looks' backgrounds, light text on the dark ones.
    painter.setPen(m_backColor.lightness() > 128 ? QColor(60, 60, 60) : QColor(220, 220, 220));
    const QRect area = viewport()->rect().adjusted(kGapX, kGapY, -kGapX, -kGapY);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, EmptyFolderText());
}

// Over an item the tooltip describes it; elsewhere the view's own tooltip explains the grid.
bool CKestivoView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int index = HitTest(help->pos());
        if (index >= 0) {
            QToolTip::showText(help->globalPos(), clipcaption::ToolTip(*ClipList()->GetAt(std::size_t(index)), m_timecodeOf),
                               viewport(), GetItemRect(index));
            return true;
        }
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CKestivoView::DrawItem(QPainter& painter, int index) const
{
    // The paint has filled the region with the background already.
    const CClipObj* clip = ClipList()->GetAt(std::size_t(index));
    const QRect cell = GetItemRect(index);
    clip->Draw(painter, cell);
    if (m_cutClips.contains(clip)) {
        QColor veil = m_backColor;
        veil.setAlpha(150);
        painter.fillRect(cell, veil);
    }
}

void CKestivoView::SetCutClips(QSet<const CClipObj*> clips)
{
    if (clips == m_cutClips)
        return;
    m_cutClips = std::move(clips);
    viewport()->update();
}

QMimeData* CKestivoView::MakeDragData() const
{
    return MakeClipMimeData(SelectedClips(m_pFolder), false);
}

void CKestivoView::SetSelected(int index, bool select)
{
    m_nCurrent = -1;
    const int count = Count();
    bool changed = false;
    auto apply = [&](int i) {
        CClipObj* clip = ClipList()->GetAt(std::size_t(i));
        if (clip->IsSelected() == select)
            return;
        clip->SetSelected(select);
        m_nSelected += select ? 1 : -1;
        viewport()->update(GetItemRect(i));
        changed = true;
    };
    if (index == -1) {
        for (int i = 0; i < count; ++i)
            apply(i);
        if (select && count > 0)
            m_nCurrent = 0;
    } else if (index >= 0 && index < count) {
        apply(index);
        if (select)
            m_nCurrent = index;
    }
    if (changed || m_nCurrent >= 0)
        Q_EMIT selectionChanged();
}

void CKestivoView::DeselectAll()
{
    for (int i = 0; i < Count(); ++i)
        SetSelected(i, false);
    m_nCurrent = -1;
}

int CKestivoView::GetSelectedCount() const
{
    return m_nSelected;
}

// Counted when a folder is shown and after a deletion; kept up by SetSelected in between, so that
// the commands' enable rules cost nothing per selection change in a large folder.
void CKestivoView::CountSelected()
{
    m_nSelected = 0;
    if (const CMyList<CClipObj>* clips = ClipList()) {
        for (const CClipObj* clip : *clips)
            m_nSelected += clip->IsSelected() ? 1 : 0;
    }
}

void CKestivoView::DeleteSelected()
{
    const CMyList<CClipObj>* clips = ClipList();
    if (!clips || GetSelectedCount() == 0)
        return;
    // The items chosen are those selected when the question was asked: a grab that lands while
    // the box is open changes the selection, and must not be what gets deleted.
    QSet<const CClipObj*> chosen;
    for (const CClipObj* clip : *clips) {
        if (clip->IsSelected())
            chosen.insert(clip);
    }
    CNodeObj* folder = m_pFolder;
    const int files = int(folder->Root()->FilesOnlyShownBy(chosen).size());
    if (!AskToDeleteFiles(this, files, folder->GetName()))
        return;

    std::vector<ClipRef> refs;
    const std::vector<std::unique_ptr<CClipObj>> removed =
        folder->TakeClips([&chosen](const CClipObj* clip) { return chosen.contains(clip); }, &refs);
    if (CLibraryObserver* observer = folder->Observer())
        observer->ClipsRemoved(*folder, refs);
    // One walk over the library for all of them, not one per deleted item.
    QSet<QString> stillShown;
    folder->Root()->CollectPaths(stillShown);
    for (const auto& clip : removed) {
        if (!stillShown.contains(clip->GetPath()))
            DeleteImageFile(clip->GetPath());  // a file that cannot be removed stays; its item goes
    }
    ItemsChanged();
}

void CKestivoView::ItemsChanged()
{
    m_nCurrent = -1;
    m_nPressed = m_nSoloOnRelease = -1;  // the indexes of a press under way may name other items now
    CountSelected();
    UpdateLayout();
    viewport()->update();
    Q_EMIT selectionChanged();
    Q_EMIT itemsRemoved();
}
