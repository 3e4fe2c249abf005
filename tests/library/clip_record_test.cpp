#include "archive.h"
#include "clipobj.h"

#include <gtest/gtest.h>

namespace {

QByteArray Stored(CClipObj& clip)
{
    CArchive ar = CArchive::ForStoring();
    clip.Serialize(ar);
    return ar.StoredBytes();
}

QByteArray ThumbBlock(int width, int height)
{
    QByteArray block(CClipObj::kThumbHeaderBytes + width * height * 3, '\0');
    block[0] = 40;  // the header block is kept as produced, whatever it holds
    for (qsizetype i = CClipObj::kThumbHeaderBytes; i < block.size(); ++i)
        block[i] = char(i * 7);
    return block;
}

}  // namespace

TEST(ClipRecord, FieldsInRecordOrderAndBack)
{
    CClipObj clip;
    clip.SetSource(QStringLiteral("/videos/holiday.mpg"));
    clip.SetNumber(1234);
    clip.SetPath(QStringLiteral("/grabs/holiday_1234.png"));
    clip.SetCaption(QStringLiteral("holiday_1234"));
    clip.SetKind(CClipObj::kVideoFile);
    clip.SetThumbnail(80, 60, ThumbBlock(80, 60));
    clip.SetSelected(true);

    const QByteArray bytes = Stored(clip);
    EXPECT_EQ(bytes.size(), (4 + 2 * 23) + (4 + 2 * 19) + (4 + 2 * 12) + 16 + 14440);

    CClipObj read;
    CArchive in = CArchive::ForLoading(bytes);
    read.Serialize(in);
    EXPECT_EQ(in.BytesLeft(), 0);
    EXPECT_EQ(read.GetPath(), clip.GetPath());
    EXPECT_EQ(read.GetSource(), clip.GetSource());
    EXPECT_EQ(read.GetCaption(), clip.GetCaption());
    EXPECT_EQ(read.GetNumber(), 1234);
    EXPECT_EQ(read.GetKind(), CClipObj::kVideoFile);
    EXPECT_TRUE(read.HasThumbnail());
    EXPECT_EQ(read.GetThumbBlock(), clip.GetThumbBlock());
    EXPECT_FALSE(read.IsSelected()) << "selection is not stored";
    EXPECT_EQ(read.GetShadow(), 4);
}

TEST(ClipRecord, ItemWithoutThumbnailWritesFortyZeroBytesAndDoesNotDisturbTheNext)
{
    CClipObj bare;
    bare.SetPath(QStringLiteral("/grabs/Camera_3.bmp"));
    bare.SetKind(CClipObj::kCaptureDevice);
    bare.SetNumber(3);
    CClipObj next;
    next.SetPath(QStringLiteral("/grabs/next.bmp"));

    CArchive out = CArchive::ForStoring();
    bare.Serialize(out);
    next.Serialize(out);
    const QByteArray bareBytes = Stored(bare);
    EXPECT_EQ(bareBytes.right(48), QByteArray::fromHex("0000000000000000") + QByteArray(40, '\0'));

    CArchive in = CArchive::ForLoading(out.StoredBytes());
    CClipObj a, b;
    a.Serialize(in);
    b.Serialize(in);
    EXPECT_FALSE(a.HasThumbnail());
    EXPECT_EQ(a.GetKind(), CClipObj::kCaptureDevice);
    EXPECT_EQ(b.GetPath(), QStringLiteral("/grabs/next.bmp"));
    EXPECT_EQ(in.BytesLeft(), 0);
}

TEST(ClipRecord, ImpossibleThumbnailSizesAreRefused)
{
    for (const auto& [width, height] : {std::pair{-1, 60}, std::pair{80, -60},
                                       std::pair{0x7FFFFFFF, 0x7FFFFFFF}, std::pair{80, 61}}) {
        CArchive out = CArchive::ForStoring();
        out.WriteString(QString());
        out.WriteString(QString());
        out.WriteString(QString());
        out.WriteInt32(0);
        out.WriteInt32(0);
        out.WriteInt32(width);
        out.WriteInt32(height);
        out.WriteBytes(QByteArray(40 + 80 * 60 * 3, '\0'));  // one row short of 80 x 61
        CClipObj clip;
        CArchive in = CArchive::ForLoading(out.StoredBytes());
        EXPECT_THROW(clip.Serialize(in), CArchiveError) << width << " x " << height;
    }
}
