#include "systeminfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

}  // namespace

TEST(SystemInfo, HomeVariableOverridesAndEndsInSlash)
{
    QTemporaryDir dir;
    ScopedEnv home("KESTIVO_HOME", dir.path().toUtf8());
    EXPECT_EQ(g_ExtSysInfo.GetExePath(), dir.path() + QLatin1Char('/'));
    ScopedEnv homeWithSlash("KESTIVO_HOME", (dir.path() + QLatin1Char('/')).toUtf8());
    EXPECT_EQ(g_ExtSysInfo.GetExePath(), dir.path() + QLatin1Char('/'));
}

TEST(SystemInfo, WithoutHomeVariableTheWritableExecutableFolderIsUsed)
{
    ScopedEnv home("KESTIVO_HOME", QByteArray());
    // The test binary sits in the (writable) build tree.
    EXPECT_EQ(g_ExtSysInfo.GetExePath(), CSystemInfo::ExecutableFolder());
    EXPECT_TRUE(CSystemInfo::ExecutableFolder().endsWith(QLatin1Char('/')));
}

TEST(SystemInfo, IsExistFileIsTrueOnlyForFiles)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.bmp"));
    EXPECT_FALSE(g_ExtSysInfo.IsExistFile(file));
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_TRUE(g_ExtSysInfo.IsExistFile(file));
    EXPECT_FALSE(g_ExtSysInfo.IsExistFile(dir.path()));
    EXPECT_FALSE(g_ExtSysInfo.IsExistFile(QString()));
}

TEST(SystemInfo, OnlyTheBinFolderOfTheInstallPrefixIsTheInstalledProgram)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/usr/bin")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/usr"), root + QStringLiteral("/linked")));
    const QString installed = root + QStringLiteral("/usr/bin/kestivo");
    const struct {
        QString executable, prefix;
        bool installed;
    } cases[] = {
        {installed, root + QStringLiteral("/usr"), true},
        {installed, root + QStringLiteral("/usr/"), true},
        {installed, root + QStringLiteral("/linked"), true},               // prefix reached through a link
        {root + QStringLiteral("/usrx/bin/kestivo"), root + QStringLiteral("/usr"), false},
        {root + QStringLiteral("/usr/build/src/app/kestivo"), root + QStringLiteral("/usr"), false},  // a build tree inside it
        {root + QStringLiteral("/home/me/kestivo"), root + QStringLiteral("/usr"), false},
        {installed, QString(), false},                                       // no prefix compiled in
        {QString(), root + QStringLiteral("/usr"), false},                   // executable unknown
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSystemInfo::IsInstalledAt(c.executable, c.prefix), c.installed)
            << c.executable.toStdString() << " in " << c.prefix.toStdString();
    // A build tree is never where installing puts the program.
    EXPECT_FALSE(g_ExtSysInfo.IsInstalled());
}

TEST(SystemInfo, InstalledProgramKeepsSettingsInTheUserDataFolderAndGrabsInPictures)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    ScopedEnv userHome("HOME", (root + QStringLiteral("/home")).toUtf8());
    ScopedEnv data("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    ScopedEnv config("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
    const QString kestivoHome = root + QStringLiteral("/kestivo");
    const QString userData = root + QStringLiteral("/data/Orvel/Kestivo/");
    const QString exeFolder = CSystemInfo::ExecutableFolder();
    const struct {
        bool installed;
        QString kestivoHome, settings, images;
    } cases[] = {
        {true, QString(), userData, root + QStringLiteral("/home/Pictures/Kestivo")},
        {true, kestivoHome, kestivoHome + QLatin1Char('/'), kestivoHome + QStringLiteral("/ImageDir")},
        {false, QString(), exeFolder, exeFolder + QStringLiteral("ImageDir")},
        {false, kestivoHome, kestivoHome + QLatin1Char('/'), kestivoHome + QStringLiteral("/ImageDir")},
    };
    for (const auto& c : cases) {
        ScopedEnv home("KESTIVO_HOME", c.kestivoHome.isNull() ? QByteArray() : c.kestivoHome.toUtf8());
        EXPECT_EQ(CSystemInfo::SettingsFolder(c.installed), c.settings) << c.installed << c.kestivoHome.toStdString();
        EXPECT_EQ(CSystemInfo::DefaultImageFolder(c.installed), c.images) << c.installed << c.kestivoHome.toStdString();
    }

    // The Pictures folder the desktop names (another language's, say), not a fixed name.
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/config")));
    QFile dirs(root + QStringLiteral("/config/user-dirs.dirs"));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    dirs.close();
    ScopedEnv noHome("KESTIVO_HOME", QByteArray());
    EXPECT_EQ(CSystemInfo::DefaultImageFolder(true), root + QStringLiteral("/home/Bilder/Kestivo"));
}
