#include "grabnaming.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(GrabNaming, NamesFromVideoAndNumber)
{
    EXPECT_EQ(BuildGrabName(GrabBaseFromVideoPath(QStringLiteral("/clips/holiday.avi")), 1234),
              QStringLiteral("holiday_1234"));
    EXPECT_EQ(BuildGrabName(GrabBaseFromVideoPath(QStringLiteral("/a/b.c.mpg")), 0), QStringLiteral("b.c_0"));
    EXPECT_EQ(GrabBaseFromVideoPath(QStringLiteral("/a/noextension")), QStringLiteral("noextension"));
    EXPECT_EQ(BuildGrabName(QStringLiteral("v"), 2147483648u), QStringLiteral("v_-2147483648"));
    EXPECT_EQ(BuildGrabName(QStringLiteral("\u65e5\u672c"), 7), QStringLiteral("\u65e5\u672c_7"));
}

TEST(GrabNaming, PathTypeAndEncoder)
{
    QTemporaryDir dir;
    const GrabTarget jpg = BuildGrabPath(QStringLiteral("holiday_1234"), dir.path(), 1);
    ASSERT_TRUE(jpg.ok());
    EXPECT_EQ(jpg.path, dir.path() + QStringLiteral("/holiday_1234.jpg"));
    EXPECT_EQ(jpg.caption, QStringLiteral("holiday_1234"));
    EXPECT_EQ(jpg.encoder, ImageFormatJPEG);

    EXPECT_TRUE(BuildGrabPath(QStringLiteral("x"), dir.path(), 4).path.endsWith(QStringLiteral("/x.tif")));
    for (const int code : {0, 5, -1}) {
        const GrabTarget bmp = BuildGrabPath(QStringLiteral("b.c_%1").arg(code), dir.path(), code);
        EXPECT_TRUE(bmp.path.endsWith(QStringLiteral("/b.c_%1.bmp").arg(code))) << code;
        EXPECT_EQ(bmp.encoder, ImageFormatBMP);
    }
}

TEST(GrabNaming, AReservedNameIsNeverHandedOutTwice)
{
    QTemporaryDir dir;
    const GrabTarget first = BuildGrabPath(QStringLiteral("Cam A_1"), dir.path(), 2);
    const GrabTarget second = BuildGrabPath(QStringLiteral("Cam A_1"), dir.path(), 2);
    EXPECT_TRUE(QFileInfo::exists(first.path));
    EXPECT_EQ(second.caption, QStringLiteral("Cam A_1 (2)"));
}

TEST(GrabNaming, ChannelNamesBecomeSafeFileNames)
{
    const struct {
        const char* name;
        const char* base;
    } cases[] = {
        {"USB Video", "USB Video"}, {"../../etc/x", "___.._etc_x"}, {"a/b\\c", "a_b_c"},
        {".hidden", "_hidden"},     {"..", "__"},                    {"tab\tname\n", "tab_name"},
        {"   ", "Capture"},         {"", "Capture"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SafeGrabBase(QString::fromUtf8(c.name)), QString::fromUtf8(c.base)) << c.name;
    EXPECT_LE(SafeGrabBase(QString(300, QChar(0x65e5))).toUtf8().size(), 200);
}

TEST(GrabNaming, ExistingFilesAreNeverChosen)
{
    QTemporaryDir dir;
    const QString name = QStringLiteral("holiday_1234");
    for (const QString& taken : {QStringLiteral("holiday_1234.png"), QStringLiteral("holiday_1234 (2).png")}) {
        QFile file(dir.filePath(taken));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nowhere")), dir.filePath(QStringLiteral("holiday_1234 (3).png"))));

    const GrabTarget target = BuildGrabPath(name, dir.path(), 2);
    EXPECT_EQ(target.caption, QStringLiteral("holiday_1234 (4)"));
    EXPECT_EQ(target.path, dir.filePath(QStringLiteral("holiday_1234 (4).png")));
    EXPECT_TRUE(BuildGrabPath(name, dir.path(), 1).caption == name) << "another extension is free";
}

TEST(GrabNaming, AMissingImageDirectoryIsReportedNotCreated)
{
    QTemporaryDir dir;
    const QString gone = dir.filePath(QStringLiteral("unmounted/grabs"));
    const GrabTarget refused = BuildGrabPath(QStringLiteral("a_1"), gone, 0);
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error.contains(gone + QStringLiteral("\" does not exist; choose one in Options")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("unmounted"))));

    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    EXPECT_FALSE(BuildGrabPath(QStringLiteral("a_1"), blocker.fileName(), 0).ok()) << "a file is no directory";
}

TEST(GrabNaming, PercentSignsInNamesAreKept)
{
    for (const char* base : {"a%20b", "a%1b", "%2%1", "100%"}) {
        const QString name = BuildGrabName(QString::fromUtf8(base), 7);
        EXPECT_EQ(name, QString::fromUtf8(base) + QStringLiteral("_7"));
        QTemporaryDir dir;
        BuildGrabPath(name, dir.path(), 2);
        const GrabTarget second = BuildGrabPath(name, dir.path(), 2);
        EXPECT_EQ(second.caption, name + QStringLiteral(" (2)"));
        EXPECT_EQ(second.path, dir.filePath(name + QStringLiteral(" (2).png")));
    }
}
