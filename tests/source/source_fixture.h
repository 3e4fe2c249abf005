// A source pane on its own, with test videos and an image directory of the test's.
#pragma once

#include "csourcedlg.h"
#include "csourcepane.h"
#include "setobj.h"
#include "testvideos.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

class SourceFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_videos = new QTemporaryDir; }
    static void TearDownTestSuite() { delete s_videos; }

    void SetUp() override
    {
        if (!FfmpegAvailable())
            GTEST_SKIP() << "the ffmpeg tool makes the test videos";
        g_SetObj.m_imageDir = m_images.path();
        g_SetObj.m_imageType = 0;
        m_pane.resize(480, 420);
        m_pane.show();
        Dlg().SetClipSink([this](std::unique_ptr<CClipObj> clip) { m_clips.push_back(std::move(clip)); });
        QObject::connect(&Dlg(), &CSourceDlg::problem, [this](const QString& text) { m_problems.push_back(text); });
    }

    CSourceDlg& Dlg() { return *m_pane.Dialog(); }

    static QString Video(const TestVideo& video) { return MakeTestVideo(s_videos->path(), video); }
    static QString Video(const char* name, int frames, QStringList encoder = {})
    {
        if (encoder.isEmpty())
            encoder = QStringList{"-c:v", "mpeg2video", "-bf", "2", "-g", "12"};
        return MakeTestVideo(s_videos->path(), TestVideo{name, frames, encoder});
    }

    // Waits until the video widget shows the source's current frame.
    bool Settled()
    {
        return QTest::qWaitFor([&] {
            return Dlg().Graph().VideoWidget() && Dlg().Graph().VideoWidget()->CurrentFrame() == Dlg().CurrentFrame();
        }, 10000);
    }

    static inline QTemporaryDir* s_videos = nullptr;
    QTemporaryDir m_images;
    CSourcePane m_pane;
    std::vector<std::unique_ptr<CClipObj>> m_clips;
    std::vector<QString> m_problems;
};
