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
