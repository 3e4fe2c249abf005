#include "cliptransfer.h"
#include "libraryjournal.h"
#include "settings_fixture.h"
#include "settingsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class LibraryJournal : public ::testing::Test {
protected:
    QString JournalPath() const { return m_dir.filePath(QStringLiteral("Options.dat.journal")); }
    std::unique_ptr<CSetObj> Fresh() const { return ReadSettings(m_base); }
    qint64 JournalSize() const { return QFileInfo(JournalPath()).size(); }

    // Every kind of change, made and told as the library window does; the journal's size after
    // each one in sizes.
    void MakeChanges(CNodeObj& root, std::vector<qint64>& sizes)
    {
        CLibraryObserver& told = *root.Observer();
        CNodeObj* trips = root.GetChildList().GetAt(0);
        auto grab = std::make_unique<CClipObj>();
        grab->SetPath(QStringLiteral("/grabs/new_1.bmp"));
        grab->SetThumbnail(80, 60, PatternThumb(9));
        told.ClipsAdded(*trips, {trips->AddClip(std::move(grab))});
        sizes.push_back(JournalSize());

        auto folder = std::make_unique<CNodeObj>();
        folder->SetName(QStringLiteral("New Folder"));
        CNodeObj* kept = root.AddChild(std::move(folder));
        told.FolderAdded(*kept);
        sizes.push_back(JournalSize());
        kept->SetName(QStringLiteral("Kept"));
        told.FolderRenamed(*kept);
        sizes.push_back(JournalSize());

        TransferClips({trips, {trips->GetClipList().GetAt(0)}, true}, *kept, ClipTransfer::Move);
        sizes.push_back(JournalSize());
        TransferClips({&root, {root.GetClipList().GetAt(0)}, false}, *kept, ClipTransfer::Add);
        sizes.push_back(JournalSize());

        std::vector<ClipRef> removed;
        trips->TakeClips([](const CClipObj* clip) { return clip->GetPath().contains(QLatin1String("camera")); },
                         &removed);
        told.ClipsRemoved(*trips, removed);
        sizes.push_back(JournalSize());

        root.TakeChild(root.GetChildList().GetAt(1));  // "notes"
        told.FolderRemoved(root, 1);
        sizes.push_back(JournalSize());
    }

    QTemporaryDir m_dir;
    const QByteArray m_base = WriteSettings(*MakeRichSettings());
    const SettingsFileIdentity m_identity{1, 2, 3, 4};
};

}  // namespace

// Replayed onto the file it continues, the journal gives the library the session had, written
// byte for byte as that library would have been at an orderly exit.
TEST_F(LibraryJournal, ReplayRebuildsTheLibraryOfTheSession)
{
    const std::unique_ptr<CSetObj> live = Fresh();
    std::unique_ptr<CLibraryJournal> journal = CLibraryJournal::Create(JournalPath(), m_identity);
    ASSERT_TRUE(journal);
    live->m_pRootNode->SetObserver(journal.get());
    std::vector<qint64> sizes;
    MakeChanges(*live->m_pRootNode, sizes);

    const std::unique_ptr<CSetObj> replayed = Fresh();
    const JournalReplay replay = ReplayLibraryJournal(ReadAll(JournalPath()), m_identity, *replayed->m_pRootNode);
    EXPECT_FALSE(replay.stale);
    EXPECT_FALSE(replay.damagedTail) << replay.reason.toStdString();
    EXPECT_EQ(replay.applied, 7);
    EXPECT_EQ(WriteSettings(*replayed), WriteSettings(*live));
    EXPECT_NE(WriteSettings(*replayed), m_base);
}

// A crash while a record is written leaves it cut short or garbled: that change alone is lost, and
// the journal, continued, records the next ones after the good part.
TEST_F(LibraryJournal, ADamagedLastRecordLosesOnlyThatChange)
{
    std::vector<qint64> sizes;
    {
        const std::unique_ptr<CSetObj> live = Fresh();
        std::unique_ptr<CLibraryJournal> journal = CLibraryJournal::Create(JournalPath(), m_identity);
        live->m_pRootNode->SetObserver(journal.get());
        MakeChanges(*live->m_pRootNode, sizes);
    }
    const QByteArray whole = ReadAll(JournalPath());
    const qint64 lastStart = sizes[5];
    const std::unique_ptr<CSetObj> expected = Fresh();
    ASSERT_EQ(ReplayLibraryJournal(whole.left(lastStart), m_identity, *expected->m_pRootNode).applied, 6);

    QByteArray flipped = whole;
    flipped[flipped.size() - 2] = char(flipped[flipped.size() - 2] ^ 0x10);
    const struct {
        const char* damage;
        QByteArray bytes;
    } cases[] = {
        {"cut in its content", whole.left(whole.size() - 3)},
        {"cut in its length", whole.left(lastStart + 2)},
        {"a byte changed", flipped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        const std::unique_ptr<CSetObj> replayed = Fresh();
        const JournalReplay replay = ReplayLibraryJournal(c.bytes, m_identity, *replayed->m_pRootNode);
        EXPECT_TRUE(replay.damagedTail);
        EXPECT_EQ(replay.applied, 6);
        EXPECT_EQ(replay.goodBytes, lastStart);
        EXPECT_EQ(WriteSettings(*replayed), WriteSettings(*expected));
    }

    QFile cut(JournalPath());
    ASSERT_TRUE(cut.resize(whole.size() - 3));
    const std::unique_ptr<CSetObj> next = Fresh();
    const JournalReplay replay = ReplayLibraryJournal(ReadAll(JournalPath()), m_identity, *next->m_pRootNode);
    std::unique_ptr<CLibraryJournal> continued = CLibraryJournal::Continue(JournalPath(), replay.goodBytes);
    ASSERT_TRUE(continued);
    next->m_pRootNode->SetObserver(continued.get());
    next->m_pRootNode->SetName(QStringLiteral("Renamed after the crash"));
    continued->FolderRenamed(*next->m_pRootNode);

    const std::unique_ptr<CSetObj> again = Fresh();
    const JournalReplay second = ReplayLibraryJournal(ReadAll(JournalPath()), m_identity, *again->m_pRootNode);
    EXPECT_FALSE(second.damagedTail) << second.reason.toStdString();
    EXPECT_EQ(second.applied, 7);
    EXPECT_EQ(WriteSettings(*again), WriteSettings(*next));
}

// At start: a journal left by a crash is replayed and kept; one left beside a settings file
// written since (a crash between the save at exit and the journal's removal) is not replayed,
// or its changes would be in the library twice.
TEST_F(LibraryJournal, AStartReplaysOnlyAJournalOfTheFileInPlace)
{
    const QString settingsPath = GetSettingsFilePath(m_dir.path() + QLatin1Char('/'));
    QFile file(settingsPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(m_base);
    file.close();
    const auto addFolder = [](CNodeObj& root) {
        auto folder = std::make_unique<CNodeObj>();
        folder->SetName(QStringLiteral("Session"));
        root.Observer()->FolderAdded(*root.AddChild(std::move(folder)));
    };

    std::unique_ptr<CSetObj> first = Fresh();
    LibraryJournalStart start = StartLibraryJournal(settingsPath, *first->m_pRootNode);
    ASSERT_TRUE(start.journal) << start.reason.toStdString();
    EXPECT_FALSE(start.found);
    first->m_pRootNode->SetObserver(start.journal.get());
    addFolder(*first->m_pRootNode);
    start.journal.reset();  // the crash

    std::unique_ptr<CSetObj> second = Fresh();
    start = StartLibraryJournal(settingsPath, *second->m_pRootNode);
    EXPECT_TRUE(start.found);
    EXPECT_FALSE(start.replay.stale);
    EXPECT_EQ(start.replay.applied, 1);
    EXPECT_EQ(WriteSettings(*second), WriteSettings(*first));

    ASSERT_TRUE(SaveSettings(settingsPath, *second).ok);  // and the crash before the journal went
    start.journal.reset();
    std::unique_ptr<CSetObj> third = ReadSettings(ReadAll(settingsPath));
    start = StartLibraryJournal(settingsPath, *third->m_pRootNode);
    EXPECT_TRUE(start.found);
    EXPECT_TRUE(start.replay.stale);
    EXPECT_EQ(WriteSettings(*third), WriteSettings(*second)) << "the folder is there once";
    ASSERT_TRUE(start.journal);
    const JournalReplay fresh =
        ReplayLibraryJournal(ReadAll(JournalPath()), IdentifySettingsFile(settingsPath), *third->m_pRootNode);
    EXPECT_FALSE(fresh.stale);
    EXPECT_EQ(fresh.applied, 0);
}
