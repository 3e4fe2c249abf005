#include "bytes.h"
#include "settings_fixture.h"
#include "settingsfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>
#include <gtest/gtest.h>

namespace {

class SettingsFile : public ::testing::Test {
protected:
    QString Path() const { return GetSettingsFilePath(m_dir.path() + QLatin1Char('/')); }
    QStringList Entries() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot); }

    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(SettingsFile, PathIsTheFolderFollowedByOptionsDat)
{
    EXPECT_EQ(GetSettingsFilePath(QStringLiteral("/home/u/.local/share/Orvel/Kestivo/")),
              QStringLiteral("/home/u/.local/share/Orvel/Kestivo/Options.dat"));
}

TEST_F(SettingsFile, SaveThenLoadRestoresTheLibrary)
{
    std::unique_ptr<CSetObj> rich = MakeRichSettings();
    ASSERT_TRUE(SaveSettings(Path(), *rich).ok);
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("Options.dat")}) << "no temporary file is left";

    CSetObj loaded(CSetObj::InMemoryTag{});
    const SettingsLoadResult result = LoadSettings(Path(), loaded);
    EXPECT_EQ(result.status, SettingsLoadStatus::Loaded);
    EXPECT_EQ(WriteSettings(loaded), WriteSettings(*rich));
}

TEST_F(SettingsFile, MissingAndUnreadableFilesLeaveTheSettingsAlone)
{
    CSetObj settings(CSetObj::InMemoryTag{});
    settings.m_imageType = 3;
    EXPECT_EQ(LoadSettings(Path(), settings).status, SettingsLoadStatus::NoFile);

    std::unique_ptr<CSetObj> rich = MakeRichSettings();
    const QByteArray whole = WriteSettings(*rich);
    ASSERT_TRUE(WriteAllBytes(Path(), whole.left(whole.size() / 2)));
    const SettingsLoadResult cut = LoadSettings(Path(), settings);
    EXPECT_EQ(cut.status, SettingsLoadStatus::Unreadable);
    EXPECT_FALSE(cut.reason.isEmpty());
    EXPECT_EQ(settings.m_imageType, 3) << "a failed read changes nothing";
    EXPECT_EQ(settings.m_pRootNode->GetName(), QStringLiteral("Image Directory"));

    QFile::remove(Path());
    ASSERT_TRUE(QDir().mkdir(Path()));  // something there that cannot be read as a file
    EXPECT_EQ(LoadSettings(Path(), settings).status, SettingsLoadStatus::Unreadable);
}

TEST_F(SettingsFile, SaveReplacesTheOldFileWhole)
{
    ASSERT_TRUE(WriteAllBytes(Path(), QByteArray(100000, 'x')));
    CSetObj settings(CSetObj::InMemoryTag{});
    ASSERT_TRUE(SaveSettings(Path(), settings).ok);
    EXPECT_EQ(ReadAllBytes(Path()), WriteSettings(settings));
}

TEST_F(SettingsFile, FailedSaveSaysWhyAndKeepsTheOldFile)
{
    CSetObj settings(CSetObj::InMemoryTag{});
    const SettingsSaveResult noFolder =
        SaveSettings(m_dir.filePath(QStringLiteral("gone/Options.dat")), settings);
    EXPECT_FALSE(noFolder.ok);
    EXPECT_EQ(noFolder.reason, QStringLiteral("No such file or directory"));

    // A directory standing at the path cannot be replaced by the rename.
    ASSERT_TRUE(QDir().mkdir(Path()));
    ASSERT_TRUE(WriteAllBytes(Path() + QStringLiteral("/inside"), "kept"));
    EXPECT_FALSE(SaveSettings(Path(), settings).ok);
    EXPECT_EQ(ReadAllBytes(Path() + QStringLiteral("/inside")), QByteArray("kept"));
}

TEST_F(SettingsFile, WriteRefusedByTheSystemGivesItsReasonAndKeepsTheOldFile)
{
    // A file size limit refuses the write as a full disk would, and says why in the same way; a
    // buffered write must not be committed cut short.
    ASSERT_TRUE(WriteAllBytes(Path(), "old"));
    CSetObj settings(CSetObj::InMemoryTag{});
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous = {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const SettingsSaveResult result = SaveSettings(Path(), settings);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason, QStringLiteral("File too large"));
    EXPECT_EQ(ReadAllBytes(Path()), QByteArray("old"));
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("Options.dat")}) << "no temporary file left";
}

TEST_F(SettingsFile, UnreadableFileIsKeptAsideWithItsBytes)
{
    const QByteArray damaged("\xba\xd2\xe0\x00\xff\xfe\xff\x7f", 8);
    ASSERT_TRUE(WriteAllBytes(Path(), damaged));
    const QDateTime when(QDate(2026, 12, 8), QTime(4, 59, 1));

    const KeepAsideResult first = KeepUnreadableFileAside(Path(), when);
    ASSERT_TRUE(first.ok) << first.reason.toStdString();
    EXPECT_EQ(first.copyPath, Path() + QStringLiteral(".unreadable-20261208-045901"));
    EXPECT_EQ(ReadAllBytes(first.copyPath), damaged);
    EXPECT_FALSE(QFile::exists(Path()));

    // A second damaged file in the same second gets a name of its own.
    ASSERT_TRUE(WriteAllBytes(Path(), "second"));
    const KeepAsideResult second = KeepUnreadableFileAside(Path(), when);
    ASSERT_TRUE(second.ok);
    EXPECT_NE(second.copyPath, first.copyPath);
    EXPECT_EQ(ReadAllBytes(first.copyPath), damaged);
    EXPECT_EQ(ReadAllBytes(second.copyPath), QByteArray("second"));
}
