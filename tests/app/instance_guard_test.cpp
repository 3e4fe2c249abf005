#include "instanceguard.h"

#include "bytes.h"

#include <QDateTime>
#include <QLockFile>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <future>
#include <sys/wait.h>
#include <unistd.h>
#include <gtest/gtest.h>

namespace {

// A second start runs in its own thread: it waits for the first one's answer, which the first
// gives from its event loop.
CInstanceGuard::Outcome StartAgain(const QString& folder)
{
    return std::async(std::launch::async, [folder] {
               CInstanceGuard second(folder);
               return second.Acquire();
           })
        .get();
}

std::future<CInstanceGuard::Outcome> StartAgainLater(const QString& folder, const QString& video = {})
{
    return std::async(std::launch::async, [folder, video] {
        CInstanceGuard second(folder);
        return second.Acquire(video);
    });
}

QString Folder(const QTemporaryDir& dir)
{
    return dir.path() + QLatin1Char('/');
}

}  // namespace

TEST(InstanceGuard, SecondStartAsksTheFirstToComeForward)
{
    QTemporaryDir dir;
    CInstanceGuard first(Folder(dir));
    ASSERT_EQ(first.Acquire(), CInstanceGuard::Outcome::First);
    QSignalSpy activations(&first, &CInstanceGuard::activationRequested);

    std::future<CInstanceGuard::Outcome> second = StartAgainLater(Folder(dir));
    ASSERT_TRUE(activations.wait(5000));
    EXPECT_EQ(second.get(), CInstanceGuard::Outcome::AnotherRuns);
    EXPECT_EQ(activations.count(), 1);
}

TEST(InstanceGuard, ReleasedLockLetsTheNextStartRunAsFirst)
{
    QTemporaryDir dir;
    {
        CInstanceGuard first(Folder(dir));
        ASSERT_EQ(first.Acquire(), CInstanceGuard::Outcome::First);
        first.Release();
        CInstanceGuard next(Folder(dir));
        EXPECT_EQ(next.Acquire(), CInstanceGuard::Outcome::First);
    }
    // The destructor releases too.
    CInstanceGuard after(Folder(dir));
    EXPECT_EQ(after.Acquire(), CInstanceGuard::Outcome::First);
}

TEST(InstanceGuard, DifferentSettingsFoldersDoNotSeeEachOther)
{
    QTemporaryDir one, two;
    CInstanceGuard a(Folder(one));
    CInstanceGuard b(Folder(two));
    EXPECT_EQ(a.Acquire(), CInstanceGuard::Outcome::First);
    EXPECT_EQ(b.Acquire(), CInstanceGuard::Outcome::First);
    EXPECT_NE(CInstanceGuard::ServerName(Folder(one)), CInstanceGuard::ServerName(Folder(two)));
    EXPECT_TRUE(CInstanceGuard::ServerName(Folder(one)).startsWith(QStringLiteral("Orvel Kestivo")));
}

TEST(InstanceGuard, LockHeldWithoutAListenerStillEndsTheSecondStartQuietly)
{
    // A first program that is still starting (or hung) does not answer; the second start gives up
    // within its deadline rather than waiting for ever or running beside it.
    QTemporaryDir dir;
    QLockFile lock(CInstanceGuard::LockFilePath(Folder(dir)));
    ASSERT_TRUE(lock.tryLock(0));
    EXPECT_EQ(StartAgain(Folder(dir)), CInstanceGuard::Outcome::AnotherRuns);
}

TEST(InstanceGuard, SecondStartHandsItsVideoToTheFirst)
{
    QTemporaryDir dir;
    CInstanceGuard first(Folder(dir));
    ASSERT_EQ(first.Acquire(), CInstanceGuard::Outcome::First);
    QSignalSpy opens(&first, &CInstanceGuard::openRequested);
    QSignalSpy activations(&first, &CInstanceGuard::activationRequested);

    // Any byte a file name may hold arrives as it was, a line break and '%' among them.
    const QString video = QStringLiteral("/videos/Sommer 100%25 \u00e9t\u00e9\n2.mpg");
    std::future<CInstanceGuard::Outcome> second = StartAgainLater(Folder(dir), video);
    ASSERT_TRUE(opens.wait(5000));
    EXPECT_EQ(second.get(), CInstanceGuard::Outcome::AnotherRuns);
    EXPECT_EQ(opens.first().first().toString(), video);
    EXPECT_EQ(activations.count(), 0);
}

TEST(InstanceGuard, FolderThatTakesNoLockIsNotAnotherProgram)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteAllBytes(dir.filePath(QStringLiteral("file")), "x"));
    struct Case {
        QString folder;
        QString reason;
    };
    std::vector<Case> cases{{dir.filePath(QStringLiteral("file/settings/")), QStringLiteral("Not a directory")}};
    QTemporaryDir readOnly;
    if (::geteuid() != 0) {  // root writes anyway
        QFile::setPermissions(readOnly.path(), QFile::ReadOwner | QFile::ExeOwner);
        cases.push_back({Folder(readOnly), QStringLiteral("Permission denied")});
    }
    for (const Case& c : cases) {
        CInstanceGuard guard(c.folder);
        EXPECT_EQ(guard.Acquire(), CInstanceGuard::Outcome::CannotLock) << c.folder.toStdString();
        EXPECT_TRUE(guard.Reason().contains(c.reason)) << guard.Reason().toStdString();
        EXPECT_TRUE(guard.Reason().contains(QStringLiteral("Kestivo.lock")));
    }
    QFile::setPermissions(readOnly.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(InstanceGuard, LockWithoutALiveHolderIsTakenOver)
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ASSERT_GT(gone, 0);
    ::waitpid(gone, nullptr, 0);
    const QByteArray deadHolder = QByteArray::number(gone) + "\nkestivo\n" + QSysInfo::machineHostName().toUtf8() + "\n";
    // Left by a crash: a holder that is gone, or a file cut short before its holder was written.
    for (const QByteArray& content : {deadHolder, QByteArray()}) {
        QTemporaryDir dir;
        QFile lock(CInstanceGuard::LockFilePath(Folder(dir)));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(content);
        lock.flush();
        lock.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
        lock.close();
        CInstanceGuard guard(Folder(dir));
        EXPECT_EQ(guard.Acquire(), CInstanceGuard::Outcome::First) << content.toStdString();
    }
}
