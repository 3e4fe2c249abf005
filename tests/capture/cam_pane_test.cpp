// The capture pane and its controller on test channels: the commands' states, a grab through the
// pane, a channel that ends by itself, and a controller destroyed with work in hand.
#include "captesthelpers.h"
#include "ccamdlg.h"
#include "ccampane.h"
#include "resource.h"
#include "setobj.h"

#include <QAction>
#include <QFileInfo>
#include <QImage>
#include <QTest>
#include <chrono>
#include <thread>

using namespace kestivo::ids;

namespace {

class CamPane : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_SetObj.m_imageDir = m_images.path();
        g_SetObj.m_imageType = 2;
    }
    // Channel 0 shows red above blue; channel 1 ends after a few frames.
    void MakeChannels()
    {
        const QString picture = MakePicture(m_pictures, 64, 48, Qt::red, Qt::blue);
        UseTestChannels(QStringLiteral("Cam A=%1;Short=videotestsrc is-live=true num-buffers=3").arg(PictureSource(picture)));
        m_capture = std::make_unique<CCapBase>();
    }
    std::unique_ptr<CCamPane> MakePane(int channel)
    {
        auto pane = std::make_unique<CCamPane>(m_capture.get(), channel);
        pane->Dialog()->SetClipSink([this](std::unique_ptr<CClipObj> clip) { m_clips.push_back(std::move(clip)); });
        pane->resize(320, 240);
        pane->show();
        return pane;
    }
    static std::vector<bool> States(const CCamPane& pane)
    {
        std::vector<bool> states;
        for (const int id : {ID_CAM_PROPERTY, ID_CAM_FORMAT, ID_CAM_PREVIEW, ID_CAM_STOP, ID_CAM_GRAB})
            states.push_back(pane.Action(id)->isEnabled());
        return states;
    }

    QTemporaryDir m_images, m_pictures;
    std::unique_ptr<CCapBase> m_capture;
    std::vector<std::unique_ptr<CClipObj>> m_clips;
};

const std::vector<bool> kStopped{true, true, true, false, false};
const std::vector<bool> kPreviewing{true, true, false, true, true};

}  // namespace

TEST_F(CamPane, CommandsFollowThePreviewAndAGrabReachesTheSink)
{
    MakeChannels();
    auto pane = MakePane(0);
    EXPECT_EQ(pane->windowTitle(), QStringLiteral("Cam A"));
    EXPECT_EQ(States(*pane), kStopped);
    EXPECT_EQ(pane->Action(ID_CAM_PROPERTY)->statusTip(), QStringLiteral("Set the vidoe Property"));
    EXPECT_TRUE(pane->Action(ID_CAM_GRAB)->toolTip().startsWith(QStringLiteral("Grab Image (G")));

    pane->Action(ID_CAM_PREVIEW)->trigger();
    EXPECT_EQ(States(*pane), kPreviewing);
    pane->Action(ID_CAM_GRAB)->trigger();
    pane->Action(ID_CAM_GRAB)->trigger();  // within one frame: still one grab
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_clips.empty(); }, 10000));
    QTest::qWait(300);
    ASSERT_EQ(m_clips.size(), 1u);
    EXPECT_EQ(m_clips[0]->GetPath(), m_images.filePath(QStringLiteral("Cam A_1.png")));
    const QImage file(m_clips[0]->GetPath());
    EXPECT_TRUE(Near(file.pixelColor(32, 5), Qt::red));
    EXPECT_TRUE(Near(file.pixelColor(32, 43), Qt::blue));

    pane->Action(ID_CAM_STOP)->trigger();
    EXPECT_EQ(States(*pane), kStopped);
}

TEST_F(CamPane, AChannelThatEndsSaysSoAndReturnsToStopped)
{
    MakeChannels();
    auto pane = MakePane(1);
    pane->Action(ID_CAM_PREVIEW)->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane->Dialog()->IsStopped(); }, 10000));
    EXPECT_EQ(States(*pane), kStopped);
    const QWidget* view = pane->Dialog()->VideoWindow()->findChild<QWidget*>(QStringLiteral("CapChanView"));
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->toolTip().startsWith(QStringLiteral("Short"))) << view->toolTip().toStdString();
}

// Each channel counts its own grabs, and a format chosen for a channel sizes its grabs.
TEST_F(CamPane, GrabsAreNamedPerChannelAndSizedByTheChosenFormat)
{
    UseTestChannels(QStringLiteral("A=videotestsrc is-live=true;B=videotestsrc is-live=true"));
    m_capture = std::make_unique<CCapBase>();
    CapFormat small;
    small.media = QStringLiteral("video/x-raw");
    small.width = 320;
    small.height = 240;
    ASSERT_EQ(m_capture->SetChanFormat(1, small), 0);
    auto a = MakePane(0), b = MakePane(1);
    a->Dialog()->Preview();
    b->Dialog()->Preview();
    for (CCamPane* pane : {a.get(), b.get(), a.get()}) {
        const std::size_t before = m_clips.size();
        pane->Dialog()->GrabImage();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_clips.size() == before + 1; }, 10000));
    }
    QStringList names;
    for (const auto& clip : m_clips)
        names.append(clip->GetCaption());
    EXPECT_EQ(names, QStringList({QStringLiteral("A_1"), QStringLiteral("B_1"), QStringLiteral("A_2")}));
    EXPECT_EQ(QImage(m_clips[1]->GetPath()).size(), QSize(320, 240));
    EXPECT_EQ(CCapBase().GetChanFormat(1), small) << "remembered for the next run";
}

TEST_F(CamPane, DestroyedWhileIdleOrWithAGrabWaitingForTheInterface)
{
    MakeChannels();
    MakePane(0).reset();  // idle: the worker ends at once

    auto pane = MakePane(0);
    pane->Action(ID_CAM_PREVIEW)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_capture->GetChanStats(0).produced > 0; }, 10000));
    pane->Dialog()->GrabImage();
    // No events now: the worker writes the file and its item waits for the interface thread.
    const QString file = m_images.filePath(QStringLiteral("Cam A_1.png"));
    for (int i = 0; i < 500 && !QFileInfo::exists(file); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(QFileInfo::exists(file));
    pane.reset();
    ASSERT_EQ(m_clips.size(), 1u) << "the grab under way reached the library";
    EXPECT_EQ(m_clips[0]->GetPath(), file);
}
