// Runs the real program as separate processes, each with its own settings folder, and checks
// what a user would see on disk: the settings written at every orderly exit (a signal during the
// start too), one program per folder, a second start's video opened by the first, a damaged
// settings file kept, a folder that takes no files refused with its reason.
#include "bytes.h"
#include "program.h"
#include "settingsfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Made by the ffmpeg tool; empty when it is not there.
QString MakeVideo(const QString& path, int frames, const QString& size = QStringLiteral("160x120"))
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                                            "testsrc=s=" + size + ":r=25", "-frames:v", QString::number(frames), "-y", path});
    if (!ffmpeg.waitForStarted() || !ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0)
        return {};
    return path;
}

// A named pipe at path; false when it cannot be made.
bool MakeFifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// Feeds video into the named pipe fifo a little at a time, so that indexing it takes seconds and
// reports its progress all along (a big enough real file would take as long to make).
class Trickle {
public:
    Trickle(const QString& video, const QString& fifo)
    {
        m_writer.setStandardInputFile(video);
        m_writer.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                              QStringLiteral("exec 3>\"$1\"; i=0; while [ $i -lt 200 ]; do "
                                                             "dd bs=8192 count=1 status=none >&3 || exit 0; "
                                                             "sleep 0.05; i=$((i+1)); done"),
                                              QStringLiteral("sh"), fifo});
    }
    ~Trickle()
    {
        m_writer.kill();
        m_writer.waitForFinished();
    }

private:
    QProcess m_writer;
};

// Writes bytes into the named pipe fifo once its reader has opened it (within a few seconds).
bool FeedFifo(const QString& fifo, const QByteArray& bytes)
{
    QElapsedTimer clock;
    clock.start();
    int fd = -1;
    while ((fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK)) < 0 && clock.elapsed() < 10000)
        QThread::msleep(20);
    if (fd < 0)
        return false;
    ::fcntl(fd, F_SETFL, 0);
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(fd);
    return written;
}

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
    const QString video = MakeVideo(Home() + QStringLiteral("/argument.mpg"), 20);
    if (video.isEmpty())
        GTEST_SKIP() << "the ffmpeg tool makes the video";
    Program program(Home());
    program.Start({video});
    ASSERT_TRUE(program.WaitForLog(QStringLiteral("opened"))) << program.Log().toStdString();
    EXPECT_TRUE(program.Log().contains(QStringLiteral("argument.mpg")));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(ProgramProcess, SecondStartWithAVideoHasTheFirstOpenIt)
{
    const QString video = MakeVideo(Home() + QStringLiteral("/second.mpg"), 20);
    if (video.isEmpty())
        GTEST_SKIP() << "the ffmpeg tool makes the video";
    Program first(Home());
    first.Start();
    ASSERT_TRUE(first.WaitUntilReady()) << first.Log().toStdString();

    // Named relative to the second start's own folder, which the first does not share.
    Program second(Home());
    second.Start({QStringLiteral("second.mpg")}, Home());
    EXPECT_EQ(second.WaitForExit(), 0) << second.Log().toStdString();
    EXPECT_TRUE(first.WaitForLog(QStringLiteral("opened \"") + video + QLatin1Char('"'), 20000)) << first.Log().toStdString();

    first.Signal(SIGTERM);
    EXPECT_EQ(first.WaitForExit(), 0);
}

TEST_F(ProgramProcess, AVideoHandedOverBeforeTheFirstHasItsWindowIsOpenedAfterwards)
{
    const QString handed = MakeVideo(Home() + QStringLiteral("/handed.mpg"), 20);
    if (handed.isEmpty())
        GTEST_SKIP() << "the ffmpeg tool makes the video";
    // The first holds the lock and listens, then waits in the read of its settings, its window not
    // made yet, until the test gives it the file.
    ASSERT_TRUE(MakeFifo(SettingsPath()));
    Program first(Home());
    first.Start();
    ASSERT_TRUE(first.WaitForLog(QStringLiteral("listening for later starts"))) << first.Log().toStdString();

    Program second(Home());
    second.Start({handed});
    EXPECT_EQ(second.WaitForExit(), 0) << second.Log().toStdString();
    ASSERT_TRUE(FeedFifo(SettingsPath(), LibraryFile()));

    const QString openedHanded = QStringLiteral("opened \"") + handed + QLatin1Char('"');
    ASSERT_TRUE(first.WaitForLog(openedHanded)) << first.Log().toStdString();
    const QString log = first.Log();
    EXPECT_LT(log.indexOf(QStringLiteral("ready;")), log.indexOf(openedHanded)) << log.toStdString();
    first.Signal(SIGTERM);
    EXPECT_EQ(first.WaitForExit(), 0) << first.Log().toStdString();
}

TEST_F(ProgramProcess, SignalDuringTheStartStillSavesTheSettings)
{
    const QString video = MakeVideo(Home() + QStringLiteral("/long.mpg"), 3000, QStringLiteral("32x32"));
    if (video.isEmpty())
        GTEST_SKIP() << "the ffmpeg tool makes the video";
    const QString slowVideo = Home() + QStringLiteral("/slow.mpg");
    ASSERT_TRUE(MakeFifo(slowVideo));
    const QString notAVideo = Home() + QStringLiteral("/notes.mpg");
    ASSERT_TRUE(WriteAllBytes(notAVideo, QByteArray(5000, 'n')));
    const QByteArray library = LibraryFile();
    // While the video is indexed, and while the box saying it cannot be opened waits for an
    // answer: both run loops of their own before the main loop does.
    for (const QString& argument : {slowVideo, notAVideo}) {
        ASSERT_TRUE(WriteAllBytes(SettingsPath(), library));
        std::unique_ptr<Trickle> feed;
        if (argument == slowVideo)
            feed = std::make_unique<Trickle>(video, slowVideo);
        Program program(Home());
        program.Start({argument});
        ASSERT_TRUE(program.WaitForLog(QStringLiteral("named on the command line"))) << program.Log().toStdString();
        QFile::remove(SettingsPath());
        QThread::msleep(1000);  // well into the indexing, or the box up
        program.Signal(SIGTERM);
        EXPECT_EQ(program.WaitForExit(), 0) << program.Log().toStdString();
        EXPECT_EQ(ReadAllBytes(SettingsPath()), library) << argument.toStdString();
    }
}

TEST_F(ProgramProcess, SettingsFolderThatTakesNoFilesEndsTheStartWithItsReason)
{
    ASSERT_TRUE(WriteAllBytes(Home() + QStringLiteral("/file"), "x"));
    std::vector<std::pair<QString, QString>> folders{{Home() + QStringLiteral("/file/settings"), QStringLiteral("Not a directory")}};
    const QString readOnly = Home() + QStringLiteral("/read-only");
    if (::geteuid() != 0) {  // root writes anyway
        ASSERT_TRUE(QDir().mkpath(readOnly));
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
        folders.emplace_back(readOnly, QStringLiteral("Permission denied"));
    }
    for (const auto& [folder, reason] : folders) {
        Program program(folder);
        program.Start();
        EXPECT_EQ(program.WaitForExit(), 1) << program.Log().toStdString();
        EXPECT_TRUE(program.Log().contains(reason)) << program.Log().toStdString();
        EXPECT_TRUE(program.Log().contains(QStringLiteral("Kestivo.lock")));
    }
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(ProgramProcess, SaveThatFailsAfterASignalKeepsThePreviousFileAndEndsWithAnError)
{
    // The settings folder moved away (a drive pulled out) or turned read-only while running.
    const QString folder = Home() + QStringLiteral("/settings");
    const QString settings = folder + QStringLiteral("/Options.dat");
    const QByteArray library = LibraryFile();
    std::vector<QString> ways{QStringLiteral("moved")};
    if (::geteuid() != 0)  // root writes anyway
        ways.emplace_back(QStringLiteral("read-only"));
    for (const QString& way : ways) {
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(WriteAllBytes(settings, library));
        Program program(folder);
        program.Start();
        ASSERT_TRUE(program.WaitUntilReady()) << program.Log().toStdString();
        const QString moved = Home() + QStringLiteral("/moved");
        QString previous = settings, reason = QStringLiteral("Permission denied");
        if (way == QLatin1String("moved")) {
            ASSERT_TRUE(QDir().rename(folder, moved));
            ASSERT_TRUE(WriteAllBytes(folder, "a file where the folder was"));
            previous = moved + QStringLiteral("/Options.dat");
            reason = QStringLiteral("Not a directory");
        } else {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        }
        program.Signal(SIGTERM);
        EXPECT_EQ(program.WaitForExit(), 1) << way.toStdString();
        EXPECT_TRUE(program.Log().contains(reason)) << program.Log().toStdString();
        EXPECT_EQ(ReadAllBytes(previous), library) << way.toStdString();

        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::remove(folder);
        QDir(folder).removeRecursively();
        QDir(moved).removeRecursively();
    }
}

TEST_F(ProgramProcess, FrameOnTheCommandLineOpensTheVideoThereAndFurtherVideosAreIgnored)
{
    const QString video = MakeVideo(Home() + QStringLiteral("/frames.mpg"), 60);
    if (video.isEmpty())
        GTEST_SKIP() << "the ffmpeg tool makes the video";
    Program program(Home());
    program.Start({QStringLiteral("--frame"), QStringLiteral("40"), video, QStringLiteral("other.mpg")});
    ASSERT_TRUE(program.WaitForLog(QStringLiteral("opened \"") + video + QStringLiteral("\" at frame 40")))
        << program.Log().toStdString();
    EXPECT_TRUE(program.Log().contains(QStringLiteral("\"other.mpg\" is ignored"))) << program.Log().toStdString();
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(ProgramProcess, TheCommandLineIsAnsweredBeforeAnyWindowEvenWithoutADisplay)
{
    const QString notAVideo = Home() + QStringLiteral("/clip.mpg");
    ASSERT_TRUE(WriteAllBytes(notAVideo, "not a video"));
    const struct {
        QStringList arguments;
        int exitCode;  // 0: the text on standard output; else on standard error
        QString text;
    } cases[] = {
        {{QStringLiteral("--version")}, 0, QStringLiteral("kestivo " KESTIVO_VERSION "\n")},
        {{QStringLiteral("--help")}, 0, QStringLiteral("Usage: kestivo [options] [video...]\n")},
        {{QStringLiteral("--bogus")}, 2, QStringLiteral("Unknown option 'bogus'")},
        {{QStringLiteral("missing.mp4")}, 2, QStringLiteral("cannot open \"missing.mp4\": No such file or directory")},
        {{Home()}, 2, QStringLiteral("Is a directory")},
        {{QStringLiteral("--frame"), QStringLiteral("forty"), notAVideo}, 2, QStringLiteral("not \"forty\"")},
        {{QStringLiteral("--frame"), QStringLiteral("-1"), notAVideo}, 2, QStringLiteral("not \"-1\"")},
        {{QStringLiteral("--frame")}, 2, QStringLiteral("Missing value")},
        {{QStringLiteral("--frame"), QStringLiteral("40")}, 2, QStringLiteral("needs a video")},
        // Qt's own options are taken out by the application object (which needs no display here);
        // what is left is read again.
        {{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("missing.mp4")}, 2, QStringLiteral("No such file")},
    };
    for (const auto& c : cases) {
        const std::string arguments = c.arguments.join(QLatin1Char(' ')).toStdString();
        Program program(Home());
        for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            program.SetEnvironment(QString::fromLatin1(display), {});
        program.Start(c.arguments, Home());
        EXPECT_EQ(program.WaitForExit(), c.exitCode) << arguments << "\n" << program.Log().toStdString();
        const QString printed = c.exitCode == 0 ? program.Output() : program.Log();
        EXPECT_TRUE(printed.contains(c.text)) << arguments << "\n" << printed.toStdString();
        EXPECT_FALSE(program.Log().contains(QStringLiteral("listening for later starts"))) << arguments;
    }
}

TEST_F(ProgramProcess, ACopyOutsideTheInstallPrefixKeepsItsFilesBesideItself)
{
    // Not where installing puts it, so a portable copy: its settings and grabs stay with it, not
    // in the user's folders (which an installed program uses).
    const QString folder = Home() + QStringLiteral("/portable");
    const QString copy = folder + QStringLiteral("/kestivo");
    ASSERT_TRUE(QDir().mkpath(folder));
    // A link is quicker than a copy of the sanitizer build; the kernel names the executable by it.
    if (::link(KESTIVO_EXE, QFile::encodeName(copy).constData()) != 0) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(KESTIVO_EXE), copy));
    }
    Program program(Home());
    program.SetExecutable(copy);
    program.SetEnvironment(QStringLiteral("KESTIVO_HOME"), {});
    program.SetEnvironment(QStringLiteral("HOME"), Home() + QStringLiteral("/home"));
    program.SetEnvironment(QStringLiteral("XDG_DATA_HOME"), Home() + QStringLiteral("/data"));
    program.Start();
    ASSERT_TRUE(program.WaitUntilReady()) << program.Log().toStdString();
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(), 0) << program.Log().toStdString();

    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Options.dat")));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/ImageDir")).isDir());
    EXPECT_FALSE(QFile::exists(Home() + QStringLiteral("/home/Pictures")));
    EXPECT_FALSE(QFile::exists(Home() + QStringLiteral("/data/Orvel")));
}
