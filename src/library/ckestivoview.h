// The right half of the library window: the items of one folder as a grid of fixed cells that
// scrolls vertically, with click, Control-click and band selection, and thumbnails dragged out.
#pragma once

#include "clipcaption.h"
#include "clipobj.h"
#include "colorref.h"
#include "mylist.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QSet>
#include <functional>

class CNodeObj;
class QMimeData;

// User-interface thread only. The view shows a folder without owning it or its items; whoever
// deletes a folder makes the view show another one first. Selection lives in the items.
class CKestivoView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CKestivoView(QWidget* parent = nullptr);

    // Switches to the folder's items, drops the items whose file was deleted behind our back and
    // starts at the top. nullptr shows nothing.
    void ShowFolder(CNodeObj* folder);
    CNodeObj* Folder() const { return m_pFolder; }
    // The shown items in order (nullptr while no folder is shown).
    CMyList<CClipObj>* ClipList() const;
    int Count() const;

    // Selects or deselects one item, or every item for index -1, and repaints the cells that
    // changed. Leaves the item selected last current (item 0 for all); a deselection leaves none.
    void SetSelected(int index, bool select);
    void DeselectAll();
    int GetSelectedCount() const;
    // The current item's index, or -1.
    int Current() const { return m_nCurrent; }

    // Recomputes columns, rows and the scroll range from the viewport's size; call it after
    // adding an item behind the view's back (unselected: the view counts its selection).
    void UpdateLayout();
    // Scrolls to the page of rows that holds the item.
    void ScrollToItem(int index);
    // After asking the user, removes the selected items and deletes their files, except a file
    // that another item of the library still shows.
    void DeleteSelected();
    // Catches up with items taken out of the shown folder or added to it behind the view's back:
    // counts the selection again, forgets the current item and lays the grid out.
    void ItemsChanged();

    // What a drag of the selected items carries (see MakeClipMimeData); the caller owns it.
    QMimeData* MakeDragData() const;
    // Items drawn faded, as cut and waiting for a paste; compared by address only.
    void SetCutClips(QSet<const CClipObj*> clips);
    bool IsCut(const CClipObj* clip) const { return m_cutClips.contains(clip); }

    // The item's cell in viewport coordinates, and the item whose cell holds point (or -1).
    QRect GetItemRect(int index) const;
    int HitTest(const QPoint& point) const;

    void SetBackColor(ColorRef color);
    // Where grab files are saved, asked for when an empty folder says where grabs will land (the
    // settings are read at that moment, so a change in Options shows without telling the view).
    void SetImageDirSource(std::function<QString()> source);
    // How a tooltip tells the timecode of a grab whose file records none (BMP and GIF keep no text).
    void SetTimecodeSource(clipcaption::TimecodeSource source) { m_timecodeOf = std::move(source); }
    // The text the view gives an empty folder.
    QString EmptyFolderText() const;
    int Columns() const { return m_nColumns; }
    int VisibleRows() const { return m_nVisibleRows; }
    int TotalRows() const { return m_nTotalRows; }
    int TopRow() const { return m_nTopRow; }
    bool IsBanding() const { return m_bBanding; }
    // The height the scroll range covers: all rows plus a pixel per visible row.
    int DocumentHeight() const;

    static constexpr int kCellWidth = 96;
    static constexpr int kCellHeight = 100;
    static constexpr int kGapX = 10;
    static constexpr int kGapY = 10;
    static constexpr int kRowPitch = kCellHeight + kGapY;
    static constexpr int kColumnPitch = kCellWidth + kGapX;

Q_SIGNALS:
    // A double-click or Enter on the current item: the library frame previews it.
    void previewRequested();
    // The selection or the shown items changed: the frame refreshes its commands.
    void selectionChanged();
    // Items left the shown folder (deleted, or pruned because their file is gone).
    void itemsRemoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void PruneMissingFiles();
    void CountSelected();
    void DrawItem(QPainter& painter, int index) const;
    void DrawBand(QPainter& painter) const;
    void DrawEmptyFolder(QPainter& painter) const;
    QRect BandRect() const;
    void SelectBand();
    void SetScrollPosition(int position);
    int ScrollPosition() const;
    void MoveCurrent(int index);
    void StartDrag(int index);

    CNodeObj* m_pFolder = nullptr;
    QColor m_backColor;
    std::function<QString()> m_imageDir;
    clipcaption::TimecodeSource m_timecodeOf;
    int m_nVisibleRows = 0;
    int m_nColumns = 0;
    int m_nTotalRows = 0;
    int m_nTopRow = 0;
    int m_nCurrent = -1;
    int m_nSelected = 0;
    bool m_bBanding = false;
    bool m_inLayout = false;
    QPoint m_ptBandStart;
    QPoint m_ptBandEnd;
    // A press on an item may begin a drag of the selection; a press on one of several selected
    // items makes it the only one on release, unless a drag began.
    QPoint m_ptPress;
    int m_nPressed = -1;
    int m_nSoloOnRelease = -1;
    QSet<const CClipObj*> m_cutClips;
};
