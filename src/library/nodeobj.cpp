#include "nodeobj.h"

#include "archive.h"
#include "imagefileremoval.h"

int CNodeObj::Depth() const
{
    int depth = 0;
    for (const CNodeObj* node = m_pParent; node; node = node->m_pParent)
        ++depth;
    return depth;
}

CNodeObj* CNodeObj::AddChild(std::unique_ptr<CNodeObj> child)
{
    child->m_pParent = this;
    return m_childList.AddTail(std::move(child));
}

CClipObj* CNodeObj::AddClip(std::unique_ptr<CClipObj> clip)
{
    return m_clipList.AddTail(std::move(clip));
}

void CNodeObj::RemoveChild(CNodeObj* child)
{
    const auto index = m_childList.Find(child);
    if (!index)
        return;
    const std::unique_ptr<CNodeObj> removed = m_childList.RemoveAt(*index);
    QSet<QString> stillShown;
    Root()->CollectPaths(stillShown);
    removed->DeleteFilesExcept(stillShown);
}

void CNodeObj::DeleteFilesExcept(const QSet<QString>& keep)
{
    for (const CClipObj* clip : m_clipList) {
        if (!keep.contains(clip->GetPath()))
            DeleteImageFile(clip->GetPath());  // a file that cannot be removed stays; the item goes
    }
    for (CNodeObj* child : m_childList)
        child->DeleteFilesExcept(keep);
    m_clipList.DeleteAll();
}

void CNodeObj::CollectPaths(QSet<QString>& paths) const
{
    for (const CClipObj* clip : m_clipList)
        paths.insert(clip->GetPath());
    for (const CNodeObj* child : m_childList)
        child->CollectPaths(paths);
}

std::map<std::uint32_t, QString> CNodeObj::FramesOfVideo(const QString& source) const
{
    std::map<std::uint32_t, QString> frames;
    for (const CClipObj* clip : m_clipList) {
        if (clip->GetKind() == CClipObj::kVideoFile && clip->GetNumber() >= 0 && clip->GetSource() == source)
            frames.emplace(std::uint32_t(clip->GetNumber()), m_strName);
    }
    for (const CNodeObj* child : m_childList)
        frames.merge(child->FramesOfVideo(source));  // merge keeps the entries already there
    return frames;
}

CNodeObj* CNodeObj::Root()
{
    CNodeObj* node = this;
    while (node->m_pParent)
        node = node->m_pParent;
    return node;
}

bool CNodeObj::IsFileReferenced(const QString& path) const
{
    for (const CClipObj* clip : m_clipList) {
        if (clip->GetPath() == path)
            return true;
    }
    for (const CNodeObj* child : m_childList) {
        if (child->IsFileReferenced(path))
            return true;
    }
    return false;
}

void CNodeObj::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
        Write(ar);
    else
        Read(ar, Depth());
}

void CNodeObj::Write(CArchive& ar) const
{
    ar.WriteString(m_strName);
    ar.WriteInt32(std::int32_t(m_childList.GetCount()));
    for (const CNodeObj* child : m_childList)
        child->Write(ar);
    ar.WriteInt32(std::int32_t(m_clipList.GetCount()));
    for (CClipObj* clip : m_clipList)
        clip->Serialize(ar);
}

void CNodeObj::Read(CArchive& ar, int depth)
{
    if (depth > kMaxDepth)
        throw CArchiveError("the settings data nests folders too deeply");

    m_strName = ar.ReadString();

    m_childList.DeleteAll();
    const std::size_t childCount = ar.CheckCount(ar.ReadInt32(), kMinRecordBytes);
    for (std::size_t i = 0; i < childCount; ++i) {
        CNodeObj* child = AddChild(std::make_unique<CNodeObj>());
        child->Read(ar, depth + 1);
    }

    m_clipList.DeleteAll();
    const std::size_t clipCount = ar.CheckCount(ar.ReadInt32(), CClipObj::kMinRecordBytes);
    for (std::size_t i = 0; i < clipCount; ++i) {
        auto clip = std::make_unique<CClipObj>();
        clip->Serialize(ar);
        AddClip(std::move(clip));
    }
}
