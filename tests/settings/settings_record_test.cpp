#include "archive.h"
#include "imagetype.h"
#include "settings_fixture.h"
#include "settingsfile.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(SettingsRecord, DefaultsAndTheirFileSize)
{
    const CSetObj defaults;  // creates the default image directory under KESTIVO_HOME
    const QString home = qEnvironmentVariable("KESTIVO_HOME");
    ASSERT_FALSE(home.isEmpty()) << "the suite runs with KESTIVO_HOME set";
    EXPECT_EQ(defaults.m_backColor, 0x00E0D2BAu);
    EXPECT_EQ(defaults.m_imageDir, QDir(home).absolutePath() + QStringLiteral("/ImageDir"));
    EXPECT_TRUE(QFileInfo(defaults.m_imageDir).isDir());
    EXPECT_EQ(defaults.m_imageType, 0);
    EXPECT_EQ(defaults.m_pRootNode->GetName(), QStringLiteral("Image Directory"));
    EXPECT_EQ(defaults.m_pRootNode->GetParent(), nullptr);
    EXPECT_EQ(defaults.m_pRootNode->GetChildList().GetCount(), 0u);
    EXPECT_EQ(defaults.m_pRootNode->GetClipList().GetCount(), 0u);

    CSetObj copy(CSetObj::InMemoryTag{});
    const QByteArray bytes = WriteSettings(copy);
    const qsizetype dirRecord = 4 + 2 * copy.m_imageDir.size();  // tag and one-byte length
    const qsizetype rootRecord = (4 + 2 * 15) + 4 + 4;
    ASSERT_LT(copy.m_imageDir.size(), 255);
    EXPECT_EQ(bytes.size(), 4 + dirRecord + 4 + rootRecord);
    EXPECT_EQ(bytes.left(4), QByteArray::fromHex("bad2e000"));
}

TEST(SettingsRecord, RichTreeRoundTripsByteForByte)
{
    const std::unique_ptr<CSetObj> original = MakeRichSettings();
    const QByteArray bytes = WriteSettings(*original);

    QString reason;
    const std::unique_ptr<CSetObj> read = ReadSettings(bytes, &reason);
    ASSERT_TRUE(read) << reason.toStdString();
    EXPECT_EQ(read->m_backColor, 0x00332211u);
    EXPECT_EQ(read->m_imageType, -1);
    EXPECT_EQ(read->m_imageDir.size(), 254);
    EXPECT_EQ(read->m_pRootNode->GetName(), original->m_pRootNode->GetName());
    EXPECT_EQ(read->m_pRootNode->GetChildList().GetAt(1)->GetName().size(), 70000);
    EXPECT_EQ(WriteSettings(*read), bytes);
}

TEST(SettingsRecord, UntaggedStringsAreReadAndWrittenBackTagged)
{
    CArchive old = CArchive::ForStoring();
    old.WriteUInt32(0x00E0D2BA);
    old.WriteUInt8(7);
    old.WriteBytes(QByteArray("C:\\Gr\xe4" "b"));  // 8-bit text, as older files hold it
    old.WriteInt32(2);
    old.WriteUInt8(4);
    old.WriteBytes("Root");
    old.WriteInt32(0);
    old.WriteInt32(0);

    const std::unique_ptr<CSetObj> read = ReadSettings(old.StoredBytes());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->m_imageDir, QStringLiteral("C:\\Gr\u00e4b"));
    EXPECT_EQ(read->m_pRootNode->GetName(), QStringLiteral("Root"));

    CArchive expected = CArchive::ForStoring();
    expected.WriteUInt32(0x00E0D2BA);
    expected.WriteString(QStringLiteral("C:\\Gr\u00e4b"));
    expected.WriteInt32(2);
    expected.WriteString(QStringLiteral("Root"));
    expected.WriteInt32(0);
    expected.WriteInt32(0);
    EXPECT_EQ(WriteSettings(*read), expected.StoredBytes());
}

TEST(SettingsRecord, UnknownImageTypesAreKeptButWriteAsBmp)
{
    for (const std::int32_t code : {5, -1}) {
        CSetObj settings(CSetObj::InMemoryTag{});
        settings.m_imageType = code;
        const std::unique_ptr<CSetObj> read = ReadSettings(WriteSettings(settings));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->m_imageType, code);
        EXPECT_STREQ(ImageTypeFor(read->m_imageType).extension, "bmp");
    }
    EXPECT_STREQ(ImageTypeFor(4).extension, "tif");
    EXPECT_EQ(ImageTypes().size(), 5u);
}

TEST(SettingsRecord, TrailingBytesAfterTheRootAreIgnored)
{
    CSetObj settings(CSetObj::InMemoryTag{});
    const QByteArray bytes = WriteSettings(settings);
    EXPECT_TRUE(ReadSettings(bytes + QByteArray("extra")));
}
