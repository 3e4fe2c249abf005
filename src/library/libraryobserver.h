// What is told of each change the user makes to the library, so that it can be kept on disk as it
// happens (the settings' journal) rather than only when the program ends.
#pragma once

#include <QString>
#include <cstddef>
#include <vector>

class CClipObj;
class CNodeObj;

// An item as it was in its folder before a change: its index there and its file's path, which
// together name it even where two items share a path.
struct ClipRef {
    std::size_t index = 0;
    QString path;
};

// Called on the user-interface thread right after the change, with the library in its new state.
// Loading the library and replaying a journal tell nothing. Folders are meant by their place in
// the tree (CNodeObj::Address), which the change has already taken into account.
class CLibraryObserver {
public:
    virtual ~CLibraryObserver() = default;
    // clips were appended, in this order, at the end of folder.
    virtual void ClipsAdded(const CNodeObj& folder, const std::vector<const CClipObj*>& clips) = 0;
    // The items were taken out of folder (indexes as before the change, ascending).
    virtual void ClipsRemoved(const CNodeObj& folder, const std::vector<ClipRef>& removed) = 0;
    // The items were taken out of from and appended to to, except those whose file to already
    // showed (CNodeObj::MoveClips).
    virtual void ClipsMoved(const CNodeObj& from, const CNodeObj& to, const std::vector<ClipRef>& moved) = 0;
    // folder (with whatever it holds) was appended to its parent's subfolders.
    virtual void FolderAdded(const CNodeObj& folder) = 0;
    virtual void FolderRenamed(const CNodeObj& folder) = 0;
    // The subfolder at index of parent was removed with its subtree.
    virtual void FolderRemoved(const CNodeObj& parent, std::size_t index) = 0;
};
