#include "cimage.h"
#include "ctimecodectrl.h"
#include "source_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSlider>

namespace {

// The frame number a grabbed file shows (its stripes).
int NumberInFile(const QString& path)
{
    CImage image;
    return image.Load(path).ok() ? ReadFrameNumber(image.ToQImage()) : -1;
}

class SourceGrab : public SourceFixture {};

}  // namespace

TEST_F(SourceGrab, WritesTheExactFrameHoweverItWasReached)
{
    g_SetObj.m_imageType = 1;  // JPEG, which is encoded while the frame's rows are still converted
    for (const TestVideo& video : TestVideos()) {
        m_clips.clear();
        ASSERT_TRUE(Dlg().LoadVideo(Video(video), 1.0, 0)) << video.name;
        const std::uint32_t deep = std::uint32_t(video.frames / 2 + 7);
        Dlg().Slider()->setValue(int(deep - 5));  // a slider jump
        ASSERT_TRUE(Dlg().GrabFrame());
        for (int i = 0; i < 5; ++i)
            Dlg().NextFrame();  // steps forward, deep into a group
        ASSERT_TRUE(Dlg().GrabFrame());
        Dlg().PreviousFrame();  // and one back
        ASSERT_TRUE(Dlg().GrabFrame());
        Dlg().Tail();
        ASSERT_TRUE(Dlg().GrabFrame());

        const std::vector<std::uint32_t> expected{deep - 5, deep, deep - 1, std::uint32_t(video.frames - 1)};
        ASSERT_EQ(m_clips.size(), expected.size()) << video.name;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(NumberInFile(m_clips[i]->GetPath()), int(expected[i])) << video.name << " grab " << i;
            EXPECT_EQ(m_clips[i]->GetNumber(), std::int32_t(expected[i]));
        }
    }
}

TEST_F(SourceGrab, FrameZeroOfClipAviAsPng)
{
    g_SetObj.m_imageType = 2;
    const QString clip = Video("clip.avi", 10, {"-c:v", "mpeg4", "-vtag", "DIVX"});
    ASSERT_TRUE(Dlg().LoadVideo(clip, 1.0, 0));
    ASSERT_TRUE(Dlg().GrabFrame());
    ASSERT_EQ(m_clips.size(), 1u);
    const CClipObj& item = *m_clips[0];
    EXPECT_EQ(item.GetPath(), m_images.filePath(QStringLiteral("clip_0.png")));
    EXPECT_TRUE(QFileInfo::exists(item.GetPath()));
    EXPECT_EQ(item.GetKind(), CClipObj::kVideoFile);
    EXPECT_EQ(item.GetNumber(), 0);
    EXPECT_EQ(item.GetCaption(), QStringLiteral("clip_0"));
    EXPECT_EQ(item.GetSource(), clip);
    EXPECT_TRUE(item.HasThumbnail());
    EXPECT_EQ(item.GetThumbWidth(), 80);
    EXPECT_EQ(item.GetThumbHeight(), 60);
    EXPECT_EQ(item.GetThumbBlock().size(), 14440);

    // The same frame again: a second item, and the first file is not overwritten.
    ASSERT_TRUE(Dlg().GrabFrame());
    ASSERT_EQ(m_clips.size(), 2u);
    EXPECT_EQ(m_clips[1]->GetCaption(), QStringLiteral("clip_0 (2)"));
}

TEST_F(SourceGrab, TheFileRecordsTheSourceFrameAndTheTimecodeShown)
{
    g_SetObj.m_imageType = 2;  // PNG, whose text chunks Qt reads back one by one
    const QString clip = Video("recorded.mpg", 40);
    ASSERT_TRUE(Dlg().LoadVideo(clip, 1.0, 0));
    Dlg().Slider()->setValue(37);
    ASSERT_TRUE(Dlg().GrabFrame());
    ASSERT_EQ(m_clips.size(), 1u);
    QImageReader file(m_clips[0]->GetPath());
    EXPECT_EQ(file.text(QStringLiteral("Source")), clip);
    EXPECT_EQ(file.text(QStringLiteral("Frame")), QStringLiteral("37"));
    EXPECT_EQ(file.text(QStringLiteral("Timecode")), Dlg().Timecode()->text());
    EXPECT_EQ(file.text(QStringLiteral("Timecode")), QStringLiteral("00:00:01:12"));
}

TEST_F(SourceGrab, AGrabThatCannotBeWrittenAddsNoItemAndSaysWhere)
{
    QFile blocker(m_images.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    g_SetObj.m_imageDir = m_images.filePath(QStringLiteral("not-a-folder/grabs"));
    ASSERT_TRUE(Dlg().LoadVideo(Video("nowhere.mpg", 10), 1.0, 0));
    EXPECT_FALSE(Dlg().GrabFrame());
    EXPECT_TRUE(m_clips.empty());
    ASSERT_EQ(m_problems.size(), 1u);
    EXPECT_TRUE(m_problems[0].contains(QStringLiteral("not-a-folder/grabs")));
}
