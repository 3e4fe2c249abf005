// One folder of the image library: a name, subfolders and thumbnail items, both in order.
#pragma once

#include "clipobj.h"
#include "mylist.h"

#include <QSet>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>

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

    // When child is a direct subfolder: unlinks it, deletes the image files of its whole subtree
    // that no item left in the library refers to, then destroys it. Otherwise does nothing. A
    // file shown in another folder as well stays, or that folder would lose its image.
    void RemoveChild(CNodeObj* child);
    // True when an item in this subtree has exactly this path (case-sensitive).
    bool IsFileReferenced(const QString& path) const;
    // Adds the path of every item in this subtree to paths.
    void CollectPaths(QSet<QString>& paths) const;
    // Every frame of the video at source that an item of kind video file in this subtree holds,
    // with the name of the first folder (depth first, in order) that holds it.
    std::map<std::uint32_t, QString> FramesOfVideo(const QString& source) const;
    // The folder at the top of this folder's tree (itself when it has no parent).
    CNodeObj* Root();

    // Writes the folder record, or replaces this folder's name, subfolders and items with the
    // record read. Reading throws CArchiveError on damaged data.
    void Serialize(CArchive& ar);

private:
    void DeleteFilesExcept(const QSet<QString>& keep);
    void Write(CArchive& ar) const;
    void Read(CArchive& ar, int depth);

    CMyList<CNodeObj> m_childList;
    CMyList<CClipObj> m_clipList;
    QString m_strName;
    CNodeObj* m_pParent = nullptr;
};
