// What the user chooses for a channel: its format and its picture controls, kept across restarts.
#include "captesthelpers.h"

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

namespace {

const CapFormat k320{QStringLiteral("video/x-raw"), QString(), 320, 240, 30, 1};

TEST(CapFormatText, CapsRoundTripAndLabel)
{
    const CapFormat formats[] = {
        CapFormat{},
        k320,
        {QStringLiteral("video/x-raw"), QStringLiteral("YUY2"), 640, 480, 30000, 1001},
        {QStringLiteral("image/jpeg"), QString(), 1280, 720, 0, 1},
    };
    for (const CapFormat& format : formats)
        EXPECT_EQ(CapFormat::FromCaps(format.ToCaps()), format) << format.ToCaps().toStdString();
    EXPECT_EQ(formats[0].Label(), QStringLiteral("Default"));
    EXPECT_EQ(formats[2].Label(), QStringLiteral("640 x 480, YUY2, 29.97 fps"));
}

class Choices : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_picture = MakePicture(m_dir, 30, 20, QColor(128, 128, 128), QColor(128, 128, 128));
        UseTestChannels(QStringLiteral("Pic=") + PictureSource(m_picture));
    }

    // Plays and waits until a frame satisfies accept.
    template <class Accept>
    bool PlayUntil(CCapBase& capture, FrameCollector& frames, Accept accept)
    {
        frames.Attach(capture, 0);
        if (capture.PlayChan(0) != 0)
            return false;
        return QTest::qWaitFor([&] { return frames.Calls() > 0 && accept(frames.Last()); }, 10000);
    }

    QTemporaryDir m_dir;
    QString m_picture;
};

TEST_F(Choices, FormatAppliesWhilePlayingAndIsRemembered)
{
    {
        FrameCollector frames;  // outlives the channel that calls it
        CCapBase capture;
        ASSERT_TRUE(PlayUntil(capture, frames, [](const Frame& f) { return f.width == 30; }));
        ASSERT_EQ(capture.SetChanFormat(0, k320), 0) << capture.LastError().toStdString();
        frames.Reset();
        Frame frame;
        ASSERT_TRUE(frames.WaitFrame(&frame));
        EXPECT_EQ(QSize(frame.width, frame.height), QSize(320, 240));
    }
    FrameCollector frames;  // outlives the channel that calls it
    CCapBase restarted;
    EXPECT_EQ(restarted.GetChanFormat(0), k320);
    EXPECT_TRUE(PlayUntil(restarted, frames, [](const Frame& f) { return f.width == 320 && f.height == 240; }));
}

TEST_F(Choices, FormatDialogAppliesTheChosenEntry)
{
    CCapBase capture;
    ASSERT_EQ(capture.GetChanFormats(0).value(0), CapFormat{});
    bool driven = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() != QLatin1String("CapFormatDlg") || !top->isVisible())
                continue;
            auto* list = top->findChild<QListWidget*>(QStringLiteral("FormatList"));
            const QList<QListWidgetItem*> items = list->findItems(k320.Label(), Qt::MatchExactly);
            if (items.isEmpty())
                break;
            list->setCurrentItem(items.first());
            qobject_cast<QDialog*>(top)->accept();
            driven = true;
        }
    });
    QTimer::singleShot(5000, [] {  // a dialog the driver missed must not hang the suite
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    EXPECT_EQ(capture.FormatChan(0), 0);
    ASSERT_TRUE(driven);
    EXPECT_EQ(capture.GetChanFormat(0), k320);
}

int Grey(const Frame& frame)
{
    return frame.At(frame.width / 2, frame.height / 2).red();
}

TEST_F(Choices, ControlsChangeThePictureAndAreRemembered)
{
    int plain = 0;
    {
        FrameCollector frames;  // outlives the channel that calls it
        CCapBase capture;
        const QList<CapControl> controls = capture.GetChanControls(0);
        ASSERT_EQ(controls.size(), 4);
        EXPECT_EQ(controls[0].name, QStringLiteral("Brightness"));
        ASSERT_TRUE(PlayUntil(capture, frames, [](const Frame&) { return true; }));
        plain = Grey(frames.Last());
        ASSERT_EQ(capture.SetChanControl(0, QStringLiteral("Brightness"), 1000), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Grey(frames.Last()) > plain + 60; }, 10000));
        EXPECT_LT(capture.SetChanControl(0, QStringLiteral("Sharpness"), 3), 0);
    }
    FrameCollector frames;
    CCapBase restarted;
    EXPECT_EQ(restarted.GetChanControls(0).at(0).value, 1000);
    EXPECT_TRUE(PlayUntil(restarted, frames, [&](const Frame& f) { return Grey(f) > plain + 60; }));
    ASSERT_EQ(restarted.ResetChanControls(0), 0);
    for (const CapControl& control : restarted.GetChanControls(0))
        EXPECT_EQ(control.value, 0) << control.name.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(Grey(frames.Last()) - plain) < 12; }, 10000));
}

TEST_F(Choices, ConfigDialogSlidersAndDefaults)
{
    CCapBase capture;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_TRUE(dialog && dialog->objectName() == QLatin1String("CapConfigDlg"));
        auto* slider = dialog->findChild<QSlider*>(QStringLiteral("ControlSlider_Contrast"));
        ASSERT_TRUE(slider);
        slider->setValue(400);
        EXPECT_EQ(capture.GetChanControls(0).at(1).value, 400);
        dialog->findChild<QPushButton*>(QStringLiteral("DefaultsButton"))->click();
        EXPECT_EQ(slider->value(), 0);
        EXPECT_EQ(capture.GetChanControls(0).at(1).value, 0);
        dialog->close();
    });
    EXPECT_EQ(capture.ConfigChan(0), 0);
}

}  // namespace
