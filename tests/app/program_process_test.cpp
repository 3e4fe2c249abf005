// Runs the real program as separate processes, each with its own settings folder, and checks
// what a user would see on disk: the settings written at every orderly exit, one program per
// folder, a damaged settings file kept.
#include "bytes.h"
#include "program.h"
#include "settingsfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {

class ProgramProcess : public ::testing::Test {
protected:
    QString Home() const { return m_home.path(); }
    QString SettingsPath() const { return GetSettingsFilePath(Home() + QLatin1Char('/')); }

    // A small library, written as the program would write it.
    QByteArray LibraryFile() const
    {
        CSetObj settings(CSetObj::InMemoryTag{});
        settings.m_imageDir = Home() + QStringLiteral("/grabs");
        settings.m_imageType = 2;
        auto folder = std::make_unique<CNodeObj>();
        folder->SetName(QStringLiteral("Holiday"));
        auto clip = std::make_unique<CClipObj>();
        clip->SetPath(Home() + QStringLiteral("/grabs/beach_100.png"));
        clip->SetSource(QStringLiteral("/videos/beach.mpg"));
        clip->SetCaption(QStringLiteral("beach_100"));
        clip->SetNumber(100);
        clip->SetThumbnail(80, 60, QByteArray(40 + 80 * 60 * 3, '\x5a'));
        folder->AddClip(std::move(clip));
        settings.m_pRootNode->AddChild(std::move(folder));
        return WriteSettings(settings);
    }

    QTemporaryDir m_home;
};

}  // namespace

TEST_F(ProgramProcess, FirstStartUsesDefaultsAndSigtermSavesThem)
{
    Program program(Home());
    program.Start();
    ASSERT_TRUE(program.WaitUntilReady()) << program.Log().toStdString();
    const QString imageDir = Home() + QStringLiteral("/ImageDir");
    EXPECT_TRUE(QFileInfo(imageDir).isDir());
    EXPECT_FALSE(QFile::exists(SettingsPath())) << "settings are written at exit only";

    program.Signal(SIGTERM);
    ASSERT_EQ(program.WaitForExit(), 0) << program.Log().toStdString();

    const QByteArray written = ReadAllBytes(SettingsPath());
    const qsizetype dirRecord = 4 + 2 * imageDir.size();
    EXPECT_EQ(written.size(), 4 + dirRecord + 4 + (4 + 2 * 15 + 4 + 4));
    const std::unique_ptr<CSetObj> read = ReadSettings(written);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->m_backColor, 0x00E0D2BAu);
    EXPECT_EQ(read->m_imageDir, imageDir);
    EXPECT_EQ(read->m_pRootNode->GetName(), QStringLiteral("Image Directory"));
}

TEST_F(ProgramProcess, EveryOrderlyExitWritesTheLibraryBackUnchanged)
{
    const QByteArray library = LibraryFile();
    for (const int signalNumber : {SIGINT, SIGHUP, SIGTERM}) {
        ASSERT_TRUE(WriteAllBytes(SettingsPath(), library));
        Program program(Home());
        program.Start();
        ASSERT_TRUE(program.WaitUntilReady()) << program.Log().toStdString();
        QFile::remove(SettingsPath());  // so that only a save at exit can bring it back
        program.Signal(signalNumber);
        ASSERT_EQ(program.WaitForExit(), 0) << "signal " << signalNumber;
        EXPECT_EQ(ReadAllBytes(SettingsPath()), library) << "signal " << signalNumber;
    }
}

TEST_F(ProgramProcess, SecondStartEndsAtOnceAndBringsTheFirstForward)
{
    const QByteArray library = LibraryFile();
    ASSERT_TRUE(WriteAllBytes(SettingsPath(), library));
    Program first(Home());
    first.Start();
    ASSERT_TRUE(first.WaitUntilReady()) << first.Log().toStdString();
    const QDateTime modified = QFileInfo(SettingsPath()).lastModified();

    Program second(Home());
    QElapsedTimer clock;
    clock.start();
    second.Start();
    EXPECT_EQ(second.WaitForExit(), 0) << second.Log().toStdString();
    EXPECT_LT(clock.elapsed(), 2000);

    EXPECT_TRUE(first.WaitForLog(QStringLiteral("activation requested"), 5000)) << first.Log().toStdString();
    EXPECT_TRUE(first.IsRunning());
    EXPECT_EQ(ReadAllBytes(SettingsPath()), library);
    EXPECT_EQ(QFileInfo(SettingsPath()).lastModified(), modified);

    first.Signal(SIGTERM);
    EXPECT_EQ(first.WaitForExit(), 0);
}

TEST_F(ProgramProcess, UnreadableSettingsAreKeptAsideAndTheProgramStartsWithDefaults)
{
    const QByteArray library = LibraryFile();
    const QByteArray damaged = library.left(library.size() - 100);
    ASSERT_TRUE(WriteAllBytes(SettingsPath(), damaged));

    Program program(Home());
    program.Start();
    ASSERT_TRUE(program.WaitUntilReady()) << program.Log().toStdString();
    EXPECT_TRUE(program.Log().contains(QStringLiteral("could not be read")));
    program.Signal(SIGTERM);
    ASSERT_EQ(program.WaitForExit(), 0);

    const QStringList kept = QDir(Home()).entryList({QStringLiteral("Options.dat.unreadable-*")});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(ReadAllBytes(Home() + QLatin1Char('/') + kept.first()), damaged);
    const std::unique_ptr<CSetObj> now = ReadSettings(ReadAllBytes(SettingsPath()));
    ASSERT_TRUE(now);
    EXPECT_EQ(now->m_pRootNode->GetName(), QStringLiteral("Image Directory"));
}

TEST_F(ProgramProcess, ACrashedProgramDoesNotBlockTheNextStart)
{
    Program crashed(Home());
    crashed.Start();
    ASSERT_TRUE(crashed.WaitUntilReady());
    crashed.Signal(SIGKILL);
    crashed.WaitForExit();

    Program next(Home());
    next.Start();
    ASSERT_TRUE(next.WaitUntilReady()) << next.Log().toStdString();
    next.Signal(SIGTERM);
    EXPECT_EQ(next.WaitForExit(), 0);
}

TEST_F(ProgramProcess, AVideoNamedOnTheCommandLineOpens)
{
    const QString video = Home() + QStringLiteral("/argument.mpg");
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                                            "testsrc=s=160x120:r=25", "-frames:v", "20", "-y", video});
    if (!ffmpeg.waitForStarted() || !ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        GTEST_SKIP() << "the ffmpeg tool makes the video";
    Program program(Home());
    program.Start({video});
    ASSERT_TRUE(program.WaitForLog(QStringLiteral("opened"))) << program.Log().toStdString();
    EXPECT_TRUE(program.Log().contains(QStringLiteral("argument.mpg")));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(), 0);
}
