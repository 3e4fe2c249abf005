// Every test video, every request: the picture returned is the frame asked for.
#include "cfileinfo.h"
#include "picture.h"
#include "testvideos.h"

#include <QRandomGenerator>
#include <algorithm>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FrameExact : public ::testing::TestWithParam<TestVideo> {
protected:
    static void SetUpTestSuite() { s_dir = new QTemporaryDir; }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    void SetUp() override
    {
        if (!FfmpegAvailable())
            GTEST_SKIP() << "the ffmpeg tool makes the test videos (scripts/install-deps)";
        m_path = MakeTestVideo(s_dir->path(), GetParam());
        ASSERT_FALSE(m_path.isEmpty()) << "ffmpeg could not make " << GetParam().name;
    }

    // 40 requests: the first, the second, the last, a keyframe, a frame deep in a group, and
    // jumps back and forth between them.
    static std::vector<std::int64_t> Requests(const MediaIndex& index)
    {
        const std::int64_t count = index.FrameCount();
        std::int64_t keyframe = 0, deep = count / 2;
        for (std::uint32_t p = 1; p < index.packets.size(); ++p) {
            if (index.packets[p].IsKey() && index.decodeToDisplay[p] > 0) {
                keyframe = index.decodeToDisplay[p];
                break;
            }
        }
        if (keyframe > 4)
            deep = keyframe - 3;  // late in the first group: the most decoding to get right
        std::vector<std::int64_t> requests{count / 2, 0, count - 1, 1, keyframe, deep, keyframe - 1, count - 2};
        QRandomGenerator random{quint32(count)};
        while (requests.size() < 40)
            requests.push_back(std::int64_t(random.bounded(quint32(count))));
        for (std::int64_t& r : requests)
            r = std::clamp<std::int64_t>(r, 0, count - 1);
        return requests;
    }

    static QTemporaryDir* s_dir;
    QString m_path;
};

QTemporaryDir* FrameExact::s_dir = nullptr;

}  // namespace

TEST_P(FrameExact, LinearDecodeShowsEveryFrameInOrder)
{
    CFileInfo info;
    ASSERT_TRUE(info.SetFileName(m_path)) << info.GetLastError().toStdString();
    EXPECT_EQ(info.GetFrameCount(), GetParam().frames);
    for (std::int64_t frame = 0; frame < info.GetFrameCount(); ++frame) {
        const std::unique_ptr<DibBitmap> picture = info.GetFrameBitmap(frame, GetParam().width, GetParam().height);
        ASSERT_TRUE(picture) << "frame " << frame << ": " << info.GetLastError().toStdString();
        ASSERT_EQ(ReadFrameNumber(*picture), frame);
    }
}

TEST_P(FrameExact, ScatteredRequestsEachGetTheFrameAskedFor)
{
    // A cache that keeps only the newest frame: every request has to find its frame by decoding.
    QString error;
    std::unique_ptr<FrameSource> source = FrameSource::Open(m_path, {}, error, std::make_shared<FrameCache>(1));
    ASSERT_TRUE(source) << error.toStdString();
    const MediaIndex& index = source->Index();
    EXPECT_EQ(index.FrameCount(), GetParam().frames);
    EXPECT_EQ(index.variableTiming, std::string(GetParam().name) == "vfr.mkv");
    int wrong = 0;
    for (const std::int64_t frame : Requests(index)) {
        const SharedFrame decoded = source->GetFrame(frame, &error);
        ASSERT_TRUE(decoded) << "frame " << frame << ": " << error.toStdString();
        const std::unique_ptr<DibBitmap> picture = FrameToBitmap(*decoded, GetParam().width, GetParam().height, 0, &error);
        ASSERT_TRUE(picture);
        const int shown = ReadFrameNumber(*picture);
        EXPECT_EQ(shown, frame) << GetParam().name;
        wrong += shown != frame;
    }
    EXPECT_EQ(wrong, 0);
}

// A run of frames, every third from a third of the way in to the end, in one forward pass: each
// handed over once, the frame asked for, with a single seek whatever groups it crosses.
TEST_P(FrameExact, AForwardRunGivesEachFrameAskedForWithOneSeek)
{
    QString error;
    std::unique_ptr<FrameSource> source = FrameSource::Open(m_path, {}, error, std::make_shared<FrameCache>(1));
    ASSERT_TRUE(source) << error.toStdString();
    std::vector<std::int64_t> frames;
    for (std::int64_t frame = source->Index().FrameCount() / 3; frame < source->Index().FrameCount(); frame += 3)
        frames.push_back(frame);
    std::vector<std::int64_t> given;
    const bool done = source->DecodeForward(frames, [&](std::int64_t frame, SharedFrame decoded) {
        const std::unique_ptr<DibBitmap> picture = FrameToBitmap(*decoded, GetParam().width, GetParam().height, 0, &error);
        EXPECT_EQ(picture ? ReadFrameNumber(*picture) : -1, frame) << GetParam().name;
        given.push_back(frame);
        return true;
    }, &error);
    ASSERT_TRUE(done) << error.toStdString();
    std::sort(given.begin(), given.end());
    EXPECT_EQ(given, frames);
    EXPECT_EQ(source->GetCounters().seeks, 1) << GetParam().name;
}

TEST_P(FrameExact, EachFramesTimeLeadsBackToIt)
{
    CFileInfo info;
    ASSERT_TRUE(info.SetFileName(m_path)) << info.GetLastError().toStdString();
    const CSysRef timing = info.GetSysRef();
    for (const std::int64_t frame : {std::int64_t(0), info.GetFrameCount() / 3, info.GetFrameCount() - 1}) {
        const std::unique_ptr<DibBitmap> picture = info.GetBitmap(timing.FrameToSec(double(frame)), 96, 72);
        ASSERT_TRUE(picture);
        EXPECT_EQ(ReadFrameNumber(*picture), frame) << GetParam().name;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, FrameExact, ::testing::ValuesIn(TestVideos()),
                         [](const ::testing::TestParamInfo<TestVideo>& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });
