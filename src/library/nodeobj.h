// One folder of the image library: a name, subfolders and thumbnail items, both in order.
#pragma once

#include "clipobj.h"
#include "libraryobserver.h"
#include "mylist.h"

#include <QSet>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class CArchive;

// Folders exist only in the library (and its settings file); nothing here creates, renames or
// moves a directory on disk. User-interface thread only.
class CNodeObj {
public:
    // Deeper trees are refused when read: the reader, the writer and the views walk the tree
    // recursively, and a damaged file must not be able to exhaust the stack.
    static constexpr int kMaxDepth = 1000;
    // The smallest folder record: an empty name, no subfolders, no items.
    static constexpr std::int64_t kMinRecordBytes = 1 + 4 + 4;

    CNodeObj() = default;
    CNodeObj(const CNodeObj&) = delete;
    CNodeObj& operator=(const CNodeObj&) = delete;
    ~CNodeObj() = default;  // destroys the subtree and the items; never touches a file

    void SetName(const QString& name) { m_strName = name; }
    QString GetName() const { return m_strName; }
    CNodeObj* GetParent() const { return m_pParent; }
    // 0 for a folder without a parent.
    int Depth() const;

    const CMyList<CNodeObj>& GetChildList() const { return m_childList; }
    CMyList<CClipObj>& GetClipList() { return m_clipList; }
    const CMyList<CClipObj>& GetClipList() const { return m_clipList; }

    // Appends child as the last subfolder and makes this folder its parent.
    CNodeObj* AddChild(std::unique_ptr<CNodeObj> child);
    // Appends clip as the last item.
    CClipObj* AddClip(std::unique_ptr<CClipObj> clip);
    // The same for a new grab, which the library's observer (its journal) is told of.
    CClipObj* AddNewClip(std::unique_ptr<CClipObj> clip);

    // Unlinks the items for which take(clip) is true, keeping the order of the rest, and hands
    // them over in their order; refs (when given) receives their indexes and paths.
    template <class Predicate>
    std::vector<std::unique_ptr<CClipObj>> TakeClips(Predicate take, std::vector<ClipRef>* refs = nullptr)
    {
        std::size_t index = 0;
        return m_clipList.RemoveIf([&](const CClipObj* clip) {
            const bool taken = take(clip);
            if (taken && refs)
                refs->push_back({index, clip->GetPath()});
            ++index;
            return taken;
        });
    }
    // Unlinks the items refs name: the one at the index when its path matches, else the first
    // other one with that path. Names that match nothing are passed over.
    std::vector<std::unique_ptr<CClipObj>> TakeClips(const std::vector<ClipRef>& refs);
    // Appends the clips, unselected, except those whose file this folder already shows (a file is
    // shown once per folder). Returns the items appended, in order.
    std::vector<CClipObj*> AppendUnshown(std::vector<std::unique_ptr<CClipObj>> clips);

    // When child is a direct subfolder: unlinks it, deletes the image files of its whole subtree
    // that no item left in the library refers to, then destroys it. Otherwise does nothing. A
    // file shown in another folder as well stays, or that folder would lose its image.
    void RemoveChild(CNodeObj* child);
    // When child is a direct subfolder: unlinks it and hands it over; its files are not touched.
    std::unique_ptr<CNodeObj> TakeChild(CNodeObj* child);
    // True when an item in this subtree has exactly this path (case-sensitive).
    bool IsFileReferenced(const QString& path) const;
    // The distinct files of items (of this subtree) that no other item of this subtree shows: the
    // files that removing those items deletes.
    QSet<QString> FilesOnlyShownBy(const QSet<const CClipObj*>& items) const;
    // Every item of this subtree.
    void CollectClips(QSet<const CClipObj*>& clips) const;
    // The number of folders below this one, at any depth.
    int CountSubfolders() const;
    // Adds the path of every item in this subtree to paths.
    void CollectPaths(QSet<QString>& paths) const;
    // Every frame of the video at source that an item of kind video file in this subtree holds,
    // with the name of the first folder (depth first, in order) that holds it.
    std::map<std::uint32_t, QString> FramesOfVideo(const QString& source) const;
    // The folder at the top of this folder's tree (itself when it has no parent).
    CNodeObj* Root();
    const CNodeObj* Root() const;

    // The place of this folder in its tree: the index of each folder on the way down from the top
    // (empty for the top itself). Stable while nothing before it is added or removed.
    std::vector<std::uint32_t> Address() const;
    // The folder at address below this one, or nullptr.
    CNodeObj* FolderAt(const std::vector<std::uint32_t>& address);

    // Set on the top folder; every folder of its tree reports to it (nullptr: nobody listens).
    void SetObserver(CLibraryObserver* observer) { m_pObserver = observer; }
    CLibraryObserver* Observer() const { return Root()->m_pObserver; }

    // Writes the folder record, or replaces this folder's name, subfolders and items with the
    // record read. Reading throws CArchiveError on damaged data.
    void Serialize(CArchive& ar);
    // Writes the folder record.
    void Write(CArchive& ar) const;

private:
    void DeleteFilesExcept(const QSet<QString>& keep);
    void Read(CArchive& ar, int depth);

    CMyList<CNodeObj> m_childList;
    CMyList<CClipObj> m_clipList;
    QString m_strName;
    CNodeObj* m_pParent = nullptr;
    CLibraryObserver* m_pObserver = nullptr;  // on the top folder only
};
