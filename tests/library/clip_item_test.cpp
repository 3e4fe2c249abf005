#include "clipcaption.h"
#include "clipobj.h"
#include "imagetype.h"
#include "saveoptions.h"

#include <QFile>
#include <QSet>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A 96 x 100 cell at (10, 20), as the grid lays them out, on a white canvas.
const QRect kCell(10, 20, 96, 100);

QImage Render(const CClipObj& clip)
{
    QImage canvas(130, 140, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    clip.Draw(painter, kCell);
    return canvas;
}

std::unique_ptr<CClipObj> ItemWithThumb(const QColor& colour)
{
    QImage picture(80, 60, QImage::Format_RGB32);
    picture.fill(colour);
    auto clip = std::make_unique<CClipObj>();
    clip->SetCaption(QStringLiteral("holiday_1234 with a caption far wider than its band"));
    clip->SetThumbnail(80, 60, CClipObj::MakeThumbBlock(picture));
    return clip;
}

}  // namespace

TEST(ClipDraw, UnselectedCellHasShadowGreyBandAndThumbnail)
{
    const QImage shot = Render(*ItemWithThumb(QColor(0, 200, 0)));
    // Body (10,20)-(102,116) exclusive; shadow (14,24)-(106,120).
    EXPECT_EQ(shot.pixelColor(104, 118), QColor(Qt::black)) << "shadow, bottom right";
    EXPECT_EQ(shot.pixelColor(11, 118), QColor(Qt::white)) << "no shadow left of its offset";
    EXPECT_EQ(shot.pixelColor(13, 90), QColor(192, 192, 192)) << "body";
    EXPECT_EQ(shot.pixelColor(16, 26), QColor(165, 165, 165)) << "caption band, left of the text";
    EXPECT_EQ(shot.pixelColor(15, 25), QColor(Qt::black)) << "band frame, top left";
    EXPECT_EQ(shot.pixelColor(96, 40), QColor(Qt::white)) << "band frame, bottom right";
    EXPECT_EQ(shot.pixelColor(56, 80), QColor(0, 200, 0)) << "thumbnail, picture (16,51)-(96,111)";
    EXPECT_NE(shot.pixelColor(16, 51), QColor(0, 200, 0)) << "the sunken edge frames it";
    EXPECT_EQ(shot.pixelColor(18, 53), QColor(0, 200, 0));
    EXPECT_EQ(shot.pixelColor(98, 30), QColor(192, 192, 192)) << "a long caption is cut at the band";
}

TEST(ClipDraw, SelectedCellIsPressedWithoutShadow)
{
    auto clip = ItemWithThumb(QColor(0, 200, 0));
    clip->SetSelected(true);
    const QImage shot = Render(*clip);
    EXPECT_EQ(shot.pixelColor(11, 21), QColor(Qt::white)) << "the body moved 4 right and 4 down";
    EXPECT_EQ(shot.pixelColor(17, 90), QColor(192, 192, 192));
    EXPECT_EQ(shot.pixelColor(20, 30), QColor(64, 64, 128)) << "dark caption band";
    EXPECT_EQ(shot.pixelColor(12, 118), QColor(Qt::white)) << "nothing below-left: the body covers the shadow's place";
    EXPECT_EQ(shot.pixelColor(60, 84), QColor(0, 200, 0)) << "thumbnail moved with the body";
}

TEST(ClipDraw, ItemWithoutThumbnailShowsTheBodyInItsFrame)
{
    CClipObj clip;
    const QImage shot = Render(clip);
    EXPECT_EQ(shot.pixelColor(56, 80), QColor(192, 192, 192));
}

TEST(ClipItem, CloneIsIndependentAndDecodesItsOwnPicture)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shot_5.png"));
    QImage file(8, 6, QImage::Format_RGB32);
    file.fill(QColor(10, 20, 30));
    ASSERT_TRUE(file.save(path));

    auto original = ItemWithThumb(Qt::red);
    original->SetPath(path);
    original->SetSource(QStringLiteral("/v/a.mpg"));
    original->SetNumber(5);
    original->SetSelected(true);
    std::unique_ptr<CClipObj> copy = original->Clone();

    EXPECT_EQ(copy->GetPath(), path);
    EXPECT_EQ(copy->GetSource(), QStringLiteral("/v/a.mpg"));
    EXPECT_EQ(copy->GetNumber(), 5);
    EXPECT_TRUE(copy->IsSelected());
    EXPECT_EQ(copy->GetThumbBlock(), original->GetThumbBlock());
    EXPECT_NE(copy->GetThumbBlock().constData(), original->GetThumbBlock().constData()) << "own block";
    EXPECT_EQ(copy->GetImage().GetWidth(), 8);
    EXPECT_EQ(copy->GetImage().GetPixel(0, 0), MakeColorRef(10, 20, 30));

    original->SetCaption(QStringLiteral("changed"));
    original.reset();
    EXPECT_NE(copy->GetCaption(), QStringLiteral("changed"));
    EXPECT_TRUE(copy->HasThumbnail());
}

TEST(ClipItem, PictureIsDecodedOnDemandAndAMissingFileLeavesItEmpty)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("later.bmp"));
    CClipObj clip;
    clip.SetPath(path);  // no file yet: setting the path decodes nothing
    QImage file(3, 2, QImage::Format_RGB32);
    file.fill(Qt::blue);
    ASSERT_TRUE(file.save(path));
    EXPECT_EQ(clip.GetImage().GetWidth(), 3) << "decoded when first asked for";

    ASSERT_TRUE(QFile::remove(path));
    auto clone = clip.Clone();
    EXPECT_TRUE(clone->GetImage().IsNull());
    EXPECT_FALSE(clone->GetImageStatus().ok());
    EXPECT_FALSE(clone->GetImageStatus().error.isEmpty());
}

// Two grabs of a long-named video used to show the same middle slice of their captions.
TEST(ClipCaption, LongCaptionsKeepTheirStartAndNumberAndTheTooltipTellsAll)
{
    const QString base = QStringLiteral("Interview with the regional planning committee about the new harbour bridge, take 0");
    const QString name = base + QString(90 - base.size(), QLatin1Char('7'));
    ASSERT_EQ(name.size(), 90);
    const struct {
        QString caption, end;
    } cases[] = {{name + QStringLiteral("_1234"), QStringLiteral("_1234")},
                 {name + QStringLiteral("_1240"), QStringLiteral("_1240")},
                 {name + QStringLiteral("_1234 (2)"), QStringLiteral("_1234 (2)")}};
    QStringList shown;
    for (const auto& c : cases) {
        shown << clipcaption::Shown(c.caption);
        EXPECT_TRUE(shown.last().startsWith(QStringLiteral("Int"))) << shown.last().toStdString();
        EXPECT_TRUE(shown.last().endsWith(QChar(0x2026) + c.end)) << shown.last().toStdString();
    }
    EXPECT_EQ(QSet<QString>(shown.begin(), shown.end()).size(), 3);
    EXPECT_EQ(clipcaption::Shown(QStringLiteral("clip_12")), QStringLiteral("clip_12")) << "a short caption stays whole";

    // The grab's texts come back from each format that keeps them: PNG chunks, a JPEG comment; a
    // BMP keeps none, and its timecode is told from the video.
    QTemporaryDir dir;
    CImage picture;
    ASSERT_TRUE(picture.Create(320, 240, 24));
    CClipObj clip;
    clip.SetSource(QStringLiteral("/videos/") + name + QStringLiteral(".mp4"));
    clip.SetNumber(1234);
    clip.SetCaption(cases[0].caption);
    const SaveOptions options{ImageEncoding{}, VideoGrabTexts(clip.GetSource(), 1234, QStringLiteral("00:00:49:09"))};
    const auto timecodeOf = [&clip](const QString& video, std::uint32_t frame) {
        return video == clip.GetSource() && frame == 1234 ? QStringLiteral("00:00:49:09") : QString();
    };
    for (const auto& [extension, format] :
         {std::pair{"png", ImageFormatPNG}, std::pair{"jpg", ImageFormatJPEG}, std::pair{"bmp", ImageFormatBMP}}) {
        clip.SetPath(dir.filePath(QStringLiteral("grab.") + QLatin1String(extension)));
        ASSERT_TRUE(picture.Save(clip.GetPath(), format, options).ok());
        const QStringList tip = clipcaption::ToolTip(clip, timecodeOf).split(QLatin1Char('\n'));
        EXPECT_EQ(tip, (QStringList{cases[0].caption, QStringLiteral("Video %1, frame 1234").arg(clip.GetSource()),
                                    QStringLiteral("Timecode 00:00:49:09"), QStringLiteral("320 x 240 pixels"),
                                    clip.GetPath()}))
            << extension;
    }
}
