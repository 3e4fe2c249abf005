#include "archive.h"

#include <gtest/gtest.h>

namespace {

QByteArray StoredString(const QString& text)
{
    CArchive ar = CArchive::ForStoring();
    ar.WriteString(text);
    return ar.StoredBytes();
}

QString LoadedString(const QByteArray& bytes)
{
    CArchive ar = CArchive::ForLoading(bytes);
    QString text = ar.ReadString();
    EXPECT_EQ(ar.BytesLeft(), 0);
    return text;
}

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

}  // namespace

// The length prefix changes form at 255, 0xFFFE and 0xFFFFFFFF characters; each boundary is a
// place where an off-by-one corrupts every record that follows.
TEST(StringRecord, LengthFormsAroundEachBoundary)
{
    struct Case {
        int length;
        QByteArray prefix;
    };
    const Case cases[] = {
        {0, Hex("fffeff00")},
        {254, Hex("fffefffe")},
        {255, Hex("fffeffffff00")},
        {0xFFFD, Hex("fffeffff" "fdff")},
        {0xFFFE, Hex("fffeffff" "ffff" "feff0000")},
        {0x10000, Hex("fffeffff" "ffff" "00000100")},
    };
    for (const Case& c : cases) {
        const QString text(c.length, QChar(u'\u00e9'));
        const QByteArray bytes = StoredString(text);
        EXPECT_EQ(bytes.left(c.prefix.size()).toHex(), c.prefix.toHex()) << "length " << c.length;
        EXPECT_EQ(bytes.size(), c.prefix.size() + 2 * c.length);
        EXPECT_EQ(LoadedString(bytes), text) << "length " << c.length;
    }
}

TEST(StringRecord, KeepsCodeUnitsAsTheyAre)
{
    // An unpaired surrogate is not valid UTF-16, but it must survive a load and a save unchanged.
    QString text = QStringLiteral("a");
    text += QChar(0xD800);
    text += QStringLiteral("\u65e5\u672c");
    EXPECT_EQ(LoadedString(StoredString(text)), text);
    EXPECT_EQ(StoredString(text).mid(4, 2), Hex("6100"));
}

TEST(StringRecord, UntaggedRecordIsWindows1252)
{
    // "€é" then the undefined 0x81, then an ASCII letter.
    EXPECT_EQ(LoadedString(Hex("04" "80e9" "81" "41")), QStringLiteral("\u20ac\u00e9\u0081A"));
    // The long untagged form: 0xFF then a 16-bit length.
    const QByteArray longForm = Hex("ff" "2c01") + QByteArray(300, 'x');
    EXPECT_EQ(LoadedString(longForm), QString(300, QChar(u'x')));
}

TEST(StringRecord, TaggedRecordWithSixtyFourBitLengthIsRefusedWhenLongerThanData)
{
    CArchive ar = CArchive::ForLoading(Hex("fffeffffffffffffffff" "ffffffffffffff7f" "4100"));
    EXPECT_THROW(ar.ReadString(), CArchiveError);
}

TEST(ArchiveLoading, ShortDataThrowsInsteadOfReadingPastTheEnd)
{
    CArchive ar = CArchive::ForLoading(Hex("010203"));
    EXPECT_THROW(ar.ReadUInt32(), CArchiveError);

    CArchive truncatedString = CArchive::ForLoading(Hex("fffeff05" "4100"));
    EXPECT_THROW(truncatedString.ReadString(), CArchiveError);

    CArchive bytes = CArchive::ForLoading(Hex("0102"));
    EXPECT_THROW(bytes.ReadBytes(3), CArchiveError);
    EXPECT_THROW(bytes.ReadBytes(-1), CArchiveError);
}

TEST(ArchiveLoading, IntegersAreLittleEndian)
{
    CArchive ar = CArchive::ForLoading(Hex("bad2e000" "ffffffff" "0102"));
    EXPECT_EQ(ar.ReadUInt32(), 0x00E0D2BAu);
    EXPECT_EQ(ar.ReadInt32(), -1);
    EXPECT_EQ(ar.ReadUInt16(), 0x0201);
}

TEST(ArchiveLoading, CountsMustFitTheRemainingBytes)
{
    const CArchive ar = CArchive::ForLoading(QByteArray(90, '\0'));
    EXPECT_EQ(ar.CheckCount(10, 9), 10u);
    EXPECT_THROW(ar.CheckCount(11, 9), CArchiveError);
    EXPECT_THROW(ar.CheckCount(-1, 9), CArchiveError);
    EXPECT_THROW(ar.CheckCount(0x7FFFFFFF, 59), CArchiveError);
}
