// Handing the image's file to an editor (KESTIVO_EDITOR, else one on the PATH), and a file that
// is gone.
#include "preview_fixture.h"

#include <QFile>
#include <QTest>

namespace {

class Handoff : public PreviewFixture {
protected:
    void SetUp() override
    {
        PreviewFixture::SetUp();
        m_image = Show("grab 1.png", 40, 30);
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("my bin")));
    }

    void TearDown() override
    {
        qunsetenv("KESTIVO_EDITOR");
        qputenv("PATH", m_path);
    }

    // A program in "my bin" that writes its arguments, one a line, to <itself>.args.
    QString Recorder(const QString& name)
    {
        QFile script(m_dir.filePath(QStringLiteral("my bin/") + name));
        EXPECT_TRUE(script.open(QIODevice::WriteOnly) && script.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
        script.write("#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> \"$0.args\"; done\n");
        return script.fileName();
    }

    static QStringList Arguments(const QString& recorder)
    {
        QFile file(recorder + QStringLiteral(".args"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return file.size() > 0; }, 10000)) << "the editor never ran";
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                                              : QStringList();
    }

    const QByteArray m_path = qgetenv("PATH");
    QString m_image;
};

}  // namespace

TEST_F(Handoff, TheConfiguredEditorElseTheFirstOneOnThePathGetsThePathLast)
{
    const QString editor = Recorder(QStringLiteral("edit"));
    qputenv("KESTIVO_EDITOR", QStringLiteral("\"%1\" --new-window").arg(editor).toUtf8());
    m_canvas.EditImage();
    EXPECT_EQ(Arguments(editor), (QStringList{QStringLiteral("--new-window"), m_image}));

    qputenv("KESTIVO_EDITOR", "/nonexistent/editor");
    m_canvas.EditImage();
    EXPECT_EQ(m_problems, QStringList{QStringLiteral("The editor \"/nonexistent/editor\" could not be started")});

    qunsetenv("KESTIVO_EDITOR");
    const QString pinta = Recorder(QStringLiteral("pinta"));
    Recorder(QStringLiteral("kolourpaint"));
    qputenv("PATH", m_dir.filePath(QStringLiteral("my bin")).toUtf8());
    m_canvas.EditImage();
    EXPECT_EQ(Arguments(pinta), QStringList{m_image});
}

TEST_F(Handoff, AFileThatIsGoneIsReportedAndHandedToNobody)
{
    const QString editor = Recorder(QStringLiteral("edit"));
    qputenv("KESTIVO_EDITOR", editor.toUtf8());
    ASSERT_TRUE(QFile::remove(m_image));
    m_canvas.OpenFolder();
    m_canvas.EditImage();
    EXPECT_EQ(m_problems, QStringList(2, m_image + QStringLiteral(" don't exist")));
    EXPECT_FALSE(QFile::exists(editor + QStringLiteral(".args")));
}

// Qt only logs an application it cannot start; the user is told instead.
TEST_F(Handoff, NoFileManagerOrEditorThatCanBeStartedIsReported)
{
    qputenv("PATH", m_dir.filePath(QStringLiteral("my bin")).toUtf8());  // empty: no editor, no opener
    const QByteArray browser = qgetenv("BROWSER");
    qunsetenv("BROWSER");
    m_canvas.EditImage();
    m_canvas.OpenFolder();
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_problems.size() == 2; }, 15000)) << m_problems.join('\n').toStdString();
    EXPECT_EQ(m_problems, (QStringList{QStringLiteral("\"%1\" could not be opened: no image editor could be started").arg(m_image),
                                       QStringLiteral("\"%1\" could not be shown: no file manager could be started").arg(m_image)}));
    if (!browser.isEmpty())
        qputenv("BROWSER", browser);
}
