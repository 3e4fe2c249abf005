// Handing the image's file to the desktop: the editor from KESTIVO_EDITOR, one found on the PATH
// or the desktop's default, the file manager's fallback, and a file that is gone.
#include "preview_fixture.h"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QFile>
#include <QTest>
#include <QUrl>

namespace {

// Stands in for the desktop's default applications.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls.push_back(url); }
};

class Handoff : public PreviewFixture {
protected:
    void SetUp() override
    {
        PreviewFixture::SetUp();
        m_savedPath = qgetenv("PATH");
        qunsetenv("KESTIVO_EDITOR");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
        m_image = MakeImage("grab 1.png", 40, 30);
        Show(m_image);
    }

    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        qunsetenv("KESTIVO_EDITOR");
        qputenv("PATH", m_savedPath);
        PreviewFixture::TearDown();
    }

    // A program that appends each of its arguments as a line to record.
    QString MakeRecorder(const QString& path, const QString& record)
    {
        QFile script(path);
        EXPECT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '%1'; done\n")
                         .arg(record)
                         .toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    static QStringList Recorded(const QString& record)
    {
        QStringList lines;
        const bool written = QTest::qWaitFor([&] {
            QFile file(record);
            if (!file.open(QIODevice::ReadOnly))
                return false;
            lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            return !lines.isEmpty();
        }, 10000);
        EXPECT_TRUE(written) << "the editor never ran";
        return lines;
    }

    QByteArray m_savedPath;
    UrlCatcher m_catcher;
    QString m_image;
};

}  // namespace

TEST_F(Handoff, TheConfiguredEditorGetsThePathAsItsLastArgument)
{
    QDir(m_dir.path()).mkdir(QStringLiteral("my tools"));
    const QString record = m_dir.filePath(QStringLiteral("args.txt"));
    const QString editor = MakeRecorder(m_dir.filePath(QStringLiteral("my tools/edit")), record);
    qputenv("KESTIVO_EDITOR", QStringLiteral("\"%1\" --new-window").arg(editor).toUtf8());

    m_canvas.EditImage();
    EXPECT_EQ(Recorded(record), (QStringList{QStringLiteral("--new-window"), m_image}));
    EXPECT_TRUE(m_problems.empty());
    EXPECT_TRUE(m_catcher.urls.empty());

    qputenv("KESTIVO_EDITOR", QStringLiteral("\"%1\"").arg(m_dir.filePath(QStringLiteral("no such editor"))).toUtf8());
    m_canvas.EditImage();
    ASSERT_EQ(m_problems.size(), 1u) << "a configured editor that does not start is reported";
    EXPECT_TRUE(m_problems[0].contains(QStringLiteral("no such editor")));
    EXPECT_TRUE(m_catcher.urls.empty()) << "and nothing else is opened in its place";
}

TEST_F(Handoff, WithoutAConfiguredEditorTheFirstOneOnThePathElseTheDesktopDefault)
{
    const QString bin = m_dir.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    const QString record = m_dir.filePath(QStringLiteral("args.txt"));
    MakeRecorder(bin + QStringLiteral("/pinta"), record);
    MakeRecorder(bin + QStringLiteral("/kolourpaint"), m_dir.filePath(QStringLiteral("second.txt")));
    qputenv("PATH", bin.toUtf8());

    m_canvas.EditImage();
    EXPECT_EQ(Recorded(record), QStringList{m_image});
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("second.txt"))));

    qputenv("PATH", m_dir.filePath(QStringLiteral("empty")).toUtf8());
    m_canvas.EditImage();
    ASSERT_EQ(m_catcher.urls.size(), 1u);
    EXPECT_EQ(m_catcher.urls[0], QUrl::fromLocalFile(m_image));
    EXPECT_TRUE(m_problems.empty());
}

TEST_F(Handoff, WithoutAFileManagerOnTheBusTheFolderIsOpened)
{
    if (QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "a session bus is reachable: the test would open the user's file manager";
    m_canvas.OpenFolder();
    ASSERT_EQ(m_catcher.urls.size(), 1u);
    EXPECT_EQ(m_catcher.urls[0], QUrl::fromLocalFile(m_dir.path()));
    EXPECT_TRUE(m_problems.empty());
}

TEST_F(Handoff, AFileThatIsGoneIsReportedAndHandedToNobody)
{
    const QString record = m_dir.filePath(QStringLiteral("args.txt"));
    qputenv("KESTIVO_EDITOR", MakeRecorder(m_dir.filePath(QStringLiteral("edit")), record).toUtf8());
    ASSERT_TRUE(QFile::remove(m_image));

    m_canvas.EditImage();
    m_canvas.OpenFolder();
    const QString message = m_image + QStringLiteral(" don't exist");
    EXPECT_EQ(m_problems, (std::vector<QString>{message, message}));
    EXPECT_TRUE(m_catcher.urls.empty());

    // The editor runs once, for the file put back, and not for the missing one before it.
    MakeImage("grab 1.png", 40, 30);
    m_canvas.EditImage();
    EXPECT_EQ(Recorded(record), QStringList{m_image});
}

#include "handoff_test.moc"
