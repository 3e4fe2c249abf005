#include "nodeobj.h"

#include "archive.h"
#include "imagefileremoval.h"
#include "libraryobserver.h"

#include <algorithm>

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

CClipObj* CNodeObj::AddNewClip(std::unique_ptr<CClipObj> clip)
{
    CClipObj* added = AddClip(std::move(clip));
    if (CLibraryObserver* observer = Observer())
        observer->ClipsAdded(*this, {added});
    return added;
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

std::unique_ptr<CNodeObj> CNodeObj::TakeChild(CNodeObj* child)
{
    const auto index = m_childList.Find(child);
    if (!index)
        return nullptr;
    std::unique_ptr<CNodeObj> taken = m_childList.RemoveAt(*index);
    taken->m_pParent = nullptr;
    return taken;
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

QSet<QString> CNodeObj::FilesOnlyShownBy(const QSet<const CClipObj*>& items) const
{
    QSet<QString> files;
    QSet<QString> elsewhere;
    const auto walk = [&](const auto& self, const CNodeObj& node) -> void {
        for (const CClipObj* clip : node.m_clipList)
            (items.contains(clip) ? files : elsewhere).insert(clip->GetPath());
        for (const CNodeObj* child : node.m_childList)
            self(self, *child);
    };
    walk(walk, *this);
    return files.subtract(elsewhere);
}

void CNodeObj::CollectClips(QSet<const CClipObj*>& clips) const
{
    for (const CClipObj* clip : m_clipList)
        clips.insert(clip);
    for (const CNodeObj* child : m_childList)
        child->CollectClips(clips);
}

int CNodeObj::CountSubfolders() const
{
    int count = 0;
    for (const CNodeObj* child : m_childList)
        count += 1 + child->CountSubfolders();
    return count;
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

const CNodeObj* CNodeObj::Root() const
{
    return const_cast<CNodeObj*>(this)->Root();
}

std::vector<std::uint32_t> CNodeObj::Address() const
{
    std::vector<std::uint32_t> address;
    for (const CNodeObj* node = this; node->m_pParent; node = node->m_pParent)
        address.push_back(std::uint32_t(*node->m_pParent->m_childList.Find(node)));
    std::reverse(address.begin(), address.end());
    return address;
}

CNodeObj* CNodeObj::FolderAt(const std::vector<std::uint32_t>& address)
{
    CNodeObj* node = this;
    for (const std::uint32_t index : address) {
        node = node->m_childList.GetAt(index);
        if (!node)
            return nullptr;
    }
    return node;
}

std::vector<std::unique_ptr<CClipObj>> CNodeObj::TakeClips(const std::vector<ClipRef>& refs)
{
    QSet<const CClipObj*> chosen;
    for (const ClipRef& ref : refs) {
        const CClipObj* at = m_clipList.GetAt(ref.index);
        if (!at || at->GetPath() != ref.path || chosen.contains(at)) {
            at = nullptr;
            for (const CClipObj* clip : m_clipList) {
                if (clip->GetPath() == ref.path && !chosen.contains(clip)) {
                    at = clip;
                    break;
                }
            }
        }
        if (at)
            chosen.insert(at);
    }
    return m_clipList.RemoveIf([&chosen](const CClipObj* clip) { return chosen.contains(clip); });
}

std::vector<CClipObj*> CNodeObj::AppendUnshown(std::vector<std::unique_ptr<CClipObj>> clips)
{
    QSet<QString> shown;
    for (const CClipObj* clip : m_clipList)
        shown.insert(clip->GetPath());
    std::vector<CClipObj*> arrived;
    for (std::unique_ptr<CClipObj>& clip : clips) {
        if (shown.contains(clip->GetPath()))
            continue;
        shown.insert(clip->GetPath());
        clip->SetSelected(false);
        arrived.push_back(AddClip(std::move(clip)));
    }
    return arrived;
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
