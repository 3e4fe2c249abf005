#include "archive.h"
#include "imagefileremoval.h"
#include "nodeobj.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FolderModel : public ::testing::Test {
protected:
    QString MakeFile(const QString& name)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("image");
        return path;
    }

    static CClipObj* AddItem(CNodeObj& folder, const QString& path)
    {
        auto clip = std::make_unique<CClipObj>();
        clip->SetPath(path);
        clip->SetCaption(QFileInfo(path).baseName());
        return folder.AddClip(std::move(clip));
    }

    static CNodeObj* AddFolder(CNodeObj& parent, const QString& name)
    {
        auto child = std::make_unique<CNodeObj>();
        child->SetName(name);
        return parent.AddChild(std::move(child));
    }

    QTemporaryDir m_dir;
};

QStringList NamesDepthFirst(const CNodeObj& folder)
{
    QStringList names{folder.GetName()};
    for (const CNodeObj* child : folder.GetChildList())
        names += NamesDepthFirst(*child);
    return names;
}

}  // namespace

TEST_F(FolderModel, RecordIsWrittenDepthFirstAndReadBackInOrder)
{
    CNodeObj root;
    root.SetName(QStringLiteral("root"));
    CNodeObj* a = AddFolder(root, QStringLiteral("a"));
    AddFolder(*a, QStringLiteral("a1"));
    AddFolder(*AddFolder(*a, QStringLiteral("a2")), QStringLiteral("a2x"));
    AddFolder(root, QStringLiteral("b"));
    AddItem(root, QStringLiteral("/img/one.bmp"));
    AddItem(*a, QStringLiteral("/img/two.bmp"));

    CArchive out = CArchive::ForStoring();
    root.Serialize(out);

    CNodeObj copy;
    AddFolder(copy, QStringLiteral("replaced"));
    CArchive in = CArchive::ForLoading(out.StoredBytes());
    copy.Serialize(in);
    EXPECT_EQ(in.BytesLeft(), 0);

    EXPECT_EQ(NamesDepthFirst(copy), (QStringList{"root", "a", "a1", "a2", "a2x", "b"}));
    const CNodeObj* readA = copy.GetChildList().GetAt(0);
    EXPECT_EQ(readA->GetParent(), &copy);
    EXPECT_EQ(readA->GetChildList().GetAt(1)->GetParent(), readA);
    EXPECT_EQ(readA->GetClipList().GetAt(0)->GetPath(), QStringLiteral("/img/two.bmp"));
    EXPECT_EQ(copy.GetClipList().GetCount(), 1u);

    CArchive again = CArchive::ForStoring();
    copy.Serialize(again);
    EXPECT_EQ(again.StoredBytes(), out.StoredBytes());
}

TEST_F(FolderModel, RemoveChildDeletesTheFilesOfTheWholeSubtree)
{
    CNodeObj root;
    CNodeObj* doomed = AddFolder(root, QStringLiteral("doomed"));
    CNodeObj* nested = AddFolder(*AddFolder(*doomed, QStringLiteral("mid")), QStringLiteral("deep"));
    const QString top = MakeFile(QStringLiteral("top.bmp"));
    const QString deep = MakeFile(QStringLiteral("deep.bmp"));
    const QString kept = MakeFile(QStringLiteral("kept.bmp"));
    AddItem(*doomed, top);
    AddItem(*nested, deep);
    AddFolder(root, QStringLiteral("sibling"));
    AddItem(*root.GetChildList().GetAt(1), kept);

    CNodeObj stranger;
    root.RemoveChild(&stranger);  // not a child: nothing happens
    EXPECT_EQ(root.GetChildList().GetCount(), 2u);

    root.RemoveChild(doomed);
    EXPECT_FALSE(QFile::exists(top));
    EXPECT_FALSE(QFile::exists(deep));
    EXPECT_TRUE(QFile::exists(kept));
    ASSERT_EQ(root.GetChildList().GetCount(), 1u);
    EXPECT_EQ(root.GetChildList().GetAt(0)->GetName(), QStringLiteral("sibling"));
}

TEST_F(FolderModel, IsFileReferencedIsExactAndCaseSensitiveAtAnyDepth)
{
    CNodeObj root;
    CNodeObj* deep = AddFolder(*AddFolder(root, QStringLiteral("a")), QStringLiteral("b"));
    AddItem(*deep, QStringLiteral("/img/Shot_12.bmp"));

    EXPECT_TRUE(root.IsFileReferenced(QStringLiteral("/img/Shot_12.bmp")));
    EXPECT_FALSE(root.IsFileReferenced(QStringLiteral("/img/shot_12.bmp")));
    EXPECT_FALSE(root.IsFileReferenced(QStringLiteral("/img/Shot_12.bm")));
    EXPECT_FALSE(root.IsFileReferenced(QStringLiteral("/img//Shot_12.bmp")));
    EXPECT_FALSE(deep->GetParent()->GetChildList().GetAt(0)->IsFileReferenced(QStringLiteral("/x")));
}

TEST_F(FolderModel, TwoItemsSharingAPath)
{
    // The same file in two folders: removing one folder keeps the file the other still shows.
    CNodeObj root;
    CNodeObj* first = AddFolder(root, QStringLiteral("first"));
    CNodeObj* second = AddFolder(root, QStringLiteral("second"));
    const QString shared = MakeFile(QStringLiteral("shared.bmp"));
    AddItem(*first, shared);
    AddItem(*second, shared);

    // Unlinking one item (as deleting a selected image does) leaves the path referenced.
    std::unique_ptr<CClipObj> unlinked = first->GetClipList().RemoveAt(0);
    EXPECT_TRUE(root.IsFileReferenced(shared));
    first->AddClip(std::move(unlinked));

    const QString own = MakeFile(QStringLiteral("own.bmp"));
    AddItem(*AddFolder(*first, QStringLiteral("inner")), own);
    AddItem(*first, shared);  // twice in the doomed subtree itself
    root.RemoveChild(first);
    EXPECT_TRUE(QFile::exists(shared));
    EXPECT_FALSE(QFile::exists(own));
    ASSERT_EQ(second->GetClipList().GetCount(), 1u);
    EXPECT_TRUE(root.IsFileReferenced(shared));

    // Once no other folder shows it, the file goes with the last folder that does.
    root.RemoveChild(second);
    EXPECT_FALSE(QFile::exists(shared));
}

TEST_F(FolderModel, DestroyingAFolderNeverTouchesFiles)
{
    const QString path = MakeFile(QStringLiteral("keep.bmp"));
    {
        CNodeObj root;
        AddItem(*AddFolder(root, QStringLiteral("a")), path);
    }
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(FolderModel, DeletingFilesNeverFollowsLinksNorRemovesDirectories)
{
    const QString target = MakeFile(QStringLiteral("target.bmp"));
    const QString link = m_dir.filePath(QStringLiteral("link.bmp"));
    ASSERT_TRUE(QFile::link(target, link));
    const QString directory = m_dir.filePath(QStringLiteral("folder.bmp"));
    ASSERT_TRUE(QDir().mkpath(directory + QStringLiteral("/inner")));

    CNodeObj root;
    CNodeObj* gone = AddFolder(root, QStringLiteral("gone"));
    AddItem(*gone, link);
    AddItem(*gone, directory);
    AddItem(*gone, QStringLiteral("relative.bmp"));
    root.RemoveChild(gone);

    EXPECT_FALSE(QFileInfo(link).isSymLink()) << "the link itself is removed";
    EXPECT_TRUE(QFile::exists(target)) << "its target is not";
    EXPECT_TRUE(QFileInfo(directory + QStringLiteral("/inner")).isDir());
    EXPECT_FALSE(DeleteImageFile(QString()));
}

TEST_F(FolderModel, ReadingRefusesTreesDeeperThanTheLimit)
{
    // Each level: an empty tagged name, one subfolder; the innermost has none; then item counts.
    auto nested = [](int levels) {
        CArchive ar = CArchive::ForStoring();
        for (int i = 0; i < levels; ++i) {
            ar.WriteString(QString());
            ar.WriteInt32(1);
        }
        ar.WriteString(QString());
        ar.WriteInt32(0);
        for (int i = 0; i <= levels; ++i)
            ar.WriteInt32(0);
        return ar.StoredBytes();
    };

    CNodeObj ok;
    CArchive fits = CArchive::ForLoading(nested(CNodeObj::kMaxDepth));
    EXPECT_NO_THROW(ok.Serialize(fits));

    CNodeObj refused;
    CArchive tooDeep = CArchive::ForLoading(nested(CNodeObj::kMaxDepth + 1));
    EXPECT_THROW(refused.Serialize(tooDeep), CArchiveError);
}

TEST_F(FolderModel, EmptyRootRecordKeepsItsStoredName)
{
    CArchive out = CArchive::ForStoring();
    out.WriteString(QStringLiteral("My grabs"));
    out.WriteInt32(0);
    out.WriteInt32(0);

    CNodeObj root;
    root.SetName(QStringLiteral("Image Directory"));
    CArchive in = CArchive::ForLoading(out.StoredBytes());
    root.Serialize(in);
    EXPECT_EQ(root.GetName(), QStringLiteral("My grabs"));
    EXPECT_EQ(root.GetChildList().GetCount(), 0u);
    EXPECT_EQ(root.GetClipList().GetCount(), 0u);
}
