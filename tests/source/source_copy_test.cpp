#include "source_fixture.h"

#include <QClipboard>
#include <QMimeData>

namespace {

class SourceCopy : public SourceFixture {};

}  // namespace

// Ctrl+C in the source pane: the frame on screen, as wide as the video is shown (pixels twice as
// wide as high here), not its stored 192 x 144.
TEST_F(SourceCopy, CtrlCCopiesTheFrameShownAtItsDisplaySize)
{
    const TestVideo wide{"wide.mp4", 20, {"-c:v", "libx264", "-preset", "veryfast"}, QStringLiteral(",setsar=2")};
    ASSERT_TRUE(Dlg().LoadVideo(Video(wide), 1.0, 0));
    for (int i = 0; i < 7; ++i)
        Dlg().NextFrame();
    QGuiApplication::clipboard()->clear();
    m_pane.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_pane));
    Dlg().setFocus();
    QTest::keyClick(&Dlg(), Qt::Key_C, Qt::ControlModifier);
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(384, 144));
    EXPECT_EQ(ReadFrameNumber(copied), 7);
    EXPECT_TRUE(m_problems.empty());
}
