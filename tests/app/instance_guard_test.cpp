#include "instanceguard.h"

#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <future>
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

std::future<CInstanceGuard::Outcome> StartAgainLater(const QString& folder)
{
    return std::async(std::launch::async, [folder] {
        CInstanceGuard second(folder);
        return second.Acquire();
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
