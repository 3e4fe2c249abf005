// The library end to end, in the real program on a real X server (run under xvfb-run), driven by
// keys and clicks as a user would: a grab lands in the selected folder, selected and in view; a
// double-click on it brings the source back to its frame; a restart keeps everything.
#include "bytes.h"
#include "program.h"
#include "settingsfile.h"
#include "testvideos.h"
#include "xdotool.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

constexpr int kTripsItems = 40;  // more than one page of the grid at 1280 x 800

class LibraryEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs an X server (run under xvfb-run)";
        if (!FfmpegAvailable())
            GTEST_SKIP() << "the ffmpeg tool makes the test video";
        m_video = MakeTestVideo(m_home.path(), TestVideo{"walk.mpg", 40, {"-c:v", "mpeg2video", "-g", "12"}});
        ASSERT_TRUE(WriteAllBytes(SettingsPath(), LibraryFile()));
    }

    QString SettingsPath() const { return GetSettingsFilePath(m_home.path() + QLatin1Char('/')); }
    QString Grabs() const { return m_home.path() + QStringLiteral("/grabs"); }

    // The root with one item, and "Trips" with a page and more of grabs whose files exist.
    QByteArray LibraryFile() const
    {
        CSetObj settings(CSetObj::InMemoryTag{});
        settings.m_imageDir = Grabs();
        settings.m_imageType = 0;
        QDir().mkpath(Grabs());
        auto item = [&](const QString& name) {
            auto clip = std::make_unique<CClipObj>();
            clip->SetPath(Grabs() + QLatin1Char('/') + name + QStringLiteral(".bmp"));
            clip->SetCaption(name);
            clip->SetThumbnail(80, 60, QByteArray(40 + 80 * 60 * 3, '\x40'));
            QFile file(clip->GetPath());
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            return clip;
        };
        settings.m_pRootNode->AddClip(item(QStringLiteral("loose")));
        auto trips = std::make_unique<CNodeObj>();
        trips->SetName(QStringLiteral("Trips"));
        for (int i = 0; i < kTripsItems; ++i)
            trips->AddClip(item(QStringLiteral("trip_%1").arg(i)));
        settings.m_pRootNode->AddChild(std::move(trips));
        return WriteSettings(settings);
    }

    // Starts the program and gives its window the keyboard focus.
    void Start(Program& program, const QStringList& arguments)
    {
        program.Start(arguments);
        ASSERT_TRUE(program.WaitUntilReady()) << program.Log().toStdString();
        ASSERT_FALSE(FocusWindow(QStringLiteral("^Kestivo$"), program.Pid()).isEmpty());
    }

    QTemporaryDir m_home;
    QString m_video;
};

}  // namespace

TEST_F(LibraryEndToEnd, AGrabLandsInTheSelectedFolderAndLeadsBackToItsFrame)
{
    const QByteArray before = ReadAllBytes(SettingsPath());
    {
        Program program(m_home.path(), QStringLiteral("xcb"));
        Start(program, {m_video});
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("opened")));

        // The opened video's picture has the focus; the library is the pane before it, where the
        // grid has the focus and the tree is just before it.
        Keys({QStringLiteral("shift+F6")});
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("focus to \"LibraryFrame\""), 10000)) << program.Log().toStdString();
        Keys({QStringLiteral("shift+Tab"), QStringLiteral("Down")});
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("showing folder \"Trips\" with 40 items"), 10000))
            << program.Log().toStdString();

        Keys({QStringLiteral("F6")});
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("focus to \"SourcePane\""), 10000)) << program.Log().toStdString();
        Keys(QStringList(7, QStringLiteral("Right")) << QStringLiteral("g"));
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("as item 40;"), 10000)) << program.Log().toStdString();
        const QRegularExpressionMatch cell =
            QRegularExpression(QStringLiteral("as item 40; cell centre on screen QPoint\\((\\d+),(\\d+)\\)"))
                .match(program.Log());
        ASSERT_TRUE(cell.hasMatch());
        EXPECT_TRUE(program.Log().contains(QStringLiteral("walk_7.bmp\" to \"Trips\"")));

        // Away from the frame, then back to it through the library.
        Keys({QStringLiteral("Home")});
        ASSERT_TRUE(Xdotool({QStringLiteral("mousemove"), cell.captured(1), cell.captured(2), QStringLiteral("click"),
                             QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
                             QStringLiteral("100"), QStringLiteral("1")}));
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("previewed"), 10000))
            << "the double-click at the logged cell must hit the new, scrolled-to item\n"
            << program.Log().toStdString();
        EXPECT_TRUE(program.Log().contains(QStringLiteral("source \"%1\" at frame 7").arg(m_video)))
            << program.Log().toStdString();
        EXPECT_TRUE(program.Log().contains(QStringLiteral("walk_7.bmp\" fitted at zoom"))) << program.Log().toStdString();

        // The file deleted behind the program's back: previewing it again says so.
        const QString grabPath = Grabs() + QStringLiteral("/walk_7.bmp");
        ASSERT_TRUE(QFile::remove(grabPath));
        Keys({QStringLiteral("Return")});
        ASSERT_TRUE(program.WaitForLog(grabPath + QStringLiteral(" don't exist"), 10000)) << program.Log().toStdString();
        Keys({QStringLiteral("Return")});  // the message's OK

        program.Signal(SIGTERM);
        ASSERT_EQ(program.WaitForExit(), 0) << program.Log().toStdString();
    }

    const QByteArray saved = ReadAllBytes(SettingsPath());
    const std::unique_ptr<CSetObj> library = ReadSettings(saved);
    ASSERT_TRUE(library);
    ASSERT_EQ(library->m_pRootNode->GetClipList().GetCount(), 1u);
    const CNodeObj* trips = library->m_pRootNode->GetChildList().GetAt(0);
    ASSERT_EQ(trips->GetClipList().GetCount(), std::size_t(kTripsItems + 1));
    const CClipObj* grab = trips->GetClipList().GetAt(kTripsItems);
    EXPECT_EQ(grab->GetSource(), m_video);
    EXPECT_EQ(grab->GetNumber(), 7);
    EXPECT_TRUE(grab->HasThumbnail());
    EXPECT_NE(saved, before);

    // A restart shows the same library and writes it back byte for byte: tree, items, thumbnails.
    // It shows "Trips" again, selected last, where a grab without its file would be pruned.
    QFile(Grabs() + QStringLiteral("/walk_7.bmp")).open(QIODevice::WriteOnly);
    Program again(m_home.path(), QStringLiteral("xcb"));
    Start(again, {});
    EXPECT_TRUE(again.WaitForLog(QStringLiteral("showing folder \"Image Directory\" with 1 items")));
    EXPECT_TRUE(again.WaitForLog(QStringLiteral("showing folder \"Trips\" with 41 items"))) << again.Log().toStdString();
    again.Signal(SIGTERM);
    ASSERT_EQ(again.WaitForExit(), 0);
    EXPECT_EQ(ReadAllBytes(SettingsPath()), saved);
}

// Killed after two grabs and a new folder, the program has them all in its library at the next
// start; that start's orderly exit writes them into "Options.dat" and leaves no journal.
TEST_F(LibraryEndToEnd, AKilledProgramLosesNoGrabNorFolder)
{
    const QByteArray before = ReadAllBytes(SettingsPath());
    const QString journal = SettingsPath() + QStringLiteral(".journal");
    const QString rules = QStringLiteral("kestivo.app.debug=true;kestivo.library.debug=true;kestivo.journal.debug=true");
    {
        Program program(m_home.path(), QStringLiteral("xcb"));
        program.SetEnvironment(QStringLiteral("QT_LOGGING_RULES"), rules);
        Start(program, {m_video});
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("opened")));
        // The opened video's picture has the focus: to the library for a new folder, named, then
        // back to the source for two grabs into it.
        Keys({QStringLiteral("shift+F6")});
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("focus to \"LibraryFrame\""), 10000)) << program.Log().toStdString();
        Keys({QStringLiteral("ctrl+shift+n")});
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("recorded folder added"), 10000)) << program.Log().toStdString();
        ASSERT_TRUE(Xdotool({QStringLiteral("type"), QStringLiteral("Kept")}));
        Keys({QStringLiteral("Return")});
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("recorded folder renamed"), 10000)) << program.Log().toStdString();
        Keys({QStringLiteral("F6")});
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("focus to \"SourcePane\""), 10000)) << program.Log().toStdString();
        Keys({QStringLiteral("g")});
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("to \"Kept\" as item 0;"), 10000)) << program.Log().toStdString();
        Keys({QStringLiteral("Right"), QStringLiteral("g")});
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("to \"Kept\" as item 1;"), 10000)) << program.Log().toStdString();

        program.Signal(SIGKILL);
        EXPECT_EQ(program.WaitForExit(), -1);
    }
    EXPECT_EQ(ReadAllBytes(SettingsPath()), before) << "nothing but the journal was written";
    ASSERT_TRUE(QFile::exists(journal));

    Program again(m_home.path(), QStringLiteral("xcb"));
    Start(again, {});
    EXPECT_TRUE(again.WaitForLog(QStringLiteral("replayed 4 changes of the library"))) << again.Log().toStdString();
    EXPECT_TRUE(again.WaitForLog(QStringLiteral("showing folder \"Image Directory\" with 1 items")));
    again.Signal(SIGTERM);
    ASSERT_EQ(again.WaitForExit(), 0) << again.Log().toStdString();

    EXPECT_FALSE(QFile::exists(journal));
    const std::unique_ptr<CSetObj> library = ReadSettings(ReadAllBytes(SettingsPath()));
    ASSERT_TRUE(library);
    ASSERT_EQ(library->m_pRootNode->GetChildList().GetCount(), 2u);
    const CNodeObj* kept = library->m_pRootNode->GetChildList().GetAt(1);
    EXPECT_EQ(kept->GetName(), QStringLiteral("Kept"));
    ASSERT_EQ(kept->GetClipList().GetCount(), 2u);
    EXPECT_EQ(kept->GetClipList().GetAt(0)->GetPath(), Grabs() + QStringLiteral("/walk_0.bmp"));
    EXPECT_EQ(kept->GetClipList().GetAt(1)->GetPath(), Grabs() + QStringLiteral("/walk_1.bmp"));
}
