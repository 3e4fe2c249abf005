// Library items on the move: what a drag or the clipboard carries (the files' addresses for other
// programs, references to the items for the library itself), and moving or adding items to a folder.
#pragma once

#include <vector>

class CClipObj;
class CNodeObj;
class QMimeData;

// The MIME type that names library items of this process: its id, whether the items were cut,
// their folder and, for each item, its address and path. Only compared, never followed: the items
// are looked up in the library by ReadClipMimeData.
inline constexpr char kClipItemsMimeType[] = "application/x-kestivo-items";

// Items of one folder, in the folder's order, and whether they were cut (moved on paste) rather
// than copied (added).
struct ClipSelection {
    CNodeObj* folder = nullptr;
    std::vector<CClipObj*> clips;
    bool cut = false;
    bool IsEmpty() const { return !folder || clips.empty(); }
};

// User-interface thread only, like the library.

// The selected items of folder (none for nullptr).
ClipSelection SelectedClips(CNodeObj* folder);

// New data for selection (the caller owns it until a QDrag or the clipboard takes it): the files
// as text/uri-list, as a file manager's copied files and as their paths in plain text; the picture
// when withImage and exactly one item is carried and its file can be read; and the items in
// kClipItemsMimeType. A file manager is never offered a move: the library keeps its files.
QMimeData* MakeClipMimeData(const ClipSelection& selection, bool withImage);

// The items data names, as far as they are still in the library under root: data from another
// process names nothing, and items deleted or moved since are left out (or everything, when their
// folder is gone).
ClipSelection ReadClipMimeData(const QMimeData* data, CNodeObj& root);

enum class ClipTransfer {
    Move,  // out of their folder into the target
    Add,   // into the target as well: the same files shown in both folders
};

// Moves or adds the items to the end of target, unselected. A file target shows already is not
// shown twice there (a move still takes the item out of its folder, and the file stays). Nothing
// happens when target is the items' own folder. Returns the items appended to target, in order.
std::vector<CClipObj*> TransferClips(const ClipSelection& selection, CNodeObj& target, ClipTransfer how);
