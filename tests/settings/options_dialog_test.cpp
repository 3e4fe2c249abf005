#include "coptionsdlg.h"
#include "saveoptions.h"
#include "setobj.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Every test starts from a known setting and leaves g_SetObj and the working directory as found.
class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        m_savedDir = g_SetObj.m_imageDir;
        m_savedType = g_SetObj.m_imageType;
        m_savedCwd = QDir::currentPath();
        g_SetObj.m_imageDir = m_tmp.filePath(QStringLiteral("grabs"));
        g_SetObj.m_imageType = 1;
        Profile().remove(QStringLiteral("Grabs"));  // the suite's profile lives in a scratch config folder
    }
    void TearDown() override
    {
        g_SetObj.m_imageDir = m_savedDir;
        g_SetObj.m_imageType = m_savedType;
        QDir::setCurrent(m_savedCwd);
    }

    // A dialog whose chooser answers chosen and whose question, recorded, answers "Choose Another Folder".
    std::unique_ptr<COptionsDlg> MakeDialog(const QString& chosen = {})
    {
        auto dlg = std::make_unique<COptionsDlg>();
        dlg->SetFolderChooser([this, chosen](QWidget*, const QString& start) {
            m_chooserStart = start;
            return chosen;
        });
        dlg->SetWritableQuestion([this](QWidget*, const QString& path, const QString& reason) {
            m_asked.append(path);
            EXPECT_FALSE(reason.isEmpty());
            return false;
        });
        return dlg;
    }
    // A folder that cannot be made: its parent is a regular file.
    QString UnwritablePath()
    {
        QFile file(m_tmp.filePath(QStringLiteral("file")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return m_tmp.filePath(QStringLiteral("file/sub"));
    }
    static QSettings Profile() { return QSettings(QStringLiteral("Orvel"), QStringLiteral("Kestivo")); }
    static QSpinBox* Spin(COptionsDlg& dlg, const char* name) { return dlg.findChild<QSpinBox*>(QLatin1String(name)); }
    static QLineEdit* Path(COptionsDlg& dlg) { return dlg.findChild<QLineEdit*>(QStringLiteral("ImagePath")); }
    static QComboBox* Types(COptionsDlg& dlg) { return dlg.findChild<QComboBox*>(QStringLiteral("ImageType")); }
    static void Browse(COptionsDlg& dlg) { dlg.findChild<QPushButton*>(QStringLiteral("Browse"))->click(); }
    static void Press(COptionsDlg& dlg, QDialogButtonBox::StandardButton which)
    {
        dlg.findChild<QDialogButtonBox*>()->button(which)->click();
    }

    QTemporaryDir m_tmp;
    QString m_savedDir;
    std::int32_t m_savedType = 0;
    QString m_savedCwd;
    QString m_chooserStart;
    QStringList m_asked;
};

TEST_F(OptionsDialog, OkWithoutChangesLeavesTheSettingsAsTheyWere)
{
    // The second folder is missing, as on an unplugged drive: an unchanged path is not probed.
    const QString unplugged = m_tmp.filePath(QStringLiteral("unplugged/grabs"));
    const struct {
        QString dir;
        std::int32_t type;
    } cases[] = {{m_tmp.path(), 4}, {unplugged, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dir.toStdString());
        g_SetObj.m_imageDir = c.dir;
        g_SetObj.m_imageType = c.type;
        auto dlg = MakeDialog();
        EXPECT_EQ(Path(*dlg)->text(), c.dir);
        EXPECT_EQ(Types(*dlg)->currentIndex(), c.type);
        Press(*dlg, QDialogButtonBox::Ok);
        EXPECT_EQ(dlg->result(), QDialog::Accepted);
        EXPECT_EQ(g_SetObj.m_imageDir, c.dir);
        EXPECT_EQ(g_SetObj.m_imageType, c.type);
        EXPECT_TRUE(m_asked.isEmpty());
        EXPECT_FALSE(QDir(unplugged).exists());
    }
}

TEST_F(OptionsDialog, BrowseStoresTheFolderOnlyOnOkAndKeepsTheChosenType)
{
    const QString before = g_SetObj.m_imageDir;
    ASSERT_TRUE(QDir().mkpath(before));
    const QString chosen = m_tmp.filePath(QStringLiteral("chosen"));
    ASSERT_TRUE(QDir().mkpath(chosen));
    const QString missing = m_tmp.filePath(QStringLiteral("removed/since/chosen"));
    const struct {
        const char* name;
        QString chosen;  // empty: the chooser was cancelled
        QDialogButtonBox::StandardButton press;
        QString storedDir;
        std::int32_t storedType;
        QString workingDir;
    } cases[] = {
        {"cancel", chosen, QDialogButtonBox::Cancel, before, 1, chosen},
        {"ok", chosen, QDialogButtonBox::Ok, chosen, 3, chosen},
        {"chooser cancelled", {}, QDialogButtonBox::Ok, before, 3, m_savedCwd},
        {"folder removed before ok is made again", missing, QDialogButtonBox::Ok, missing, 3, m_savedCwd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_SetObj.m_imageDir = before;
        g_SetObj.m_imageType = 1;
        QDir::setCurrent(m_savedCwd);
        auto dlg = MakeDialog(c.chosen);
        Types(*dlg)->setCurrentIndex(3);
        Browse(*dlg);
        EXPECT_EQ(m_chooserStart, before);
        EXPECT_EQ(QDir::current(), QDir(c.workingDir));
        EXPECT_EQ(Types(*dlg)->currentIndex(), 3);
        Press(*dlg, c.press);
        EXPECT_EQ(g_SetObj.m_imageDir, c.storedDir);
        EXPECT_EQ(g_SetObj.m_imageType, c.storedType);
        EXPECT_TRUE(QDir(c.storedDir).exists());
        EXPECT_TRUE(m_asked.isEmpty());
    }
}

TEST_F(OptionsDialog, PathFieldCannotBeTypedInto)
{
    auto dlg = MakeDialog();
    const QString before = Path(*dlg)->text();
    Path(*dlg)->setFocus();
    QTest::keyClicks(Path(*dlg), QStringLiteral("/elsewhere"));
    QTest::keyClick(Path(*dlg), Qt::Key_Backspace);
    EXPECT_EQ(Path(*dlg)->text(), before);
}

TEST_F(OptionsDialog, TypeListShowsAndStoresTheCode)
{
    const struct {
        std::int32_t stored;
        int shown;
        const char* pick;  // nullptr: leave the list alone
        std::int32_t expected;
    } cases[] = {
        {7, -1, nullptr, -1},
        {0, 0, "Portable Network Graphics(PNG)", 2},
        {-1, -1, "Tagged Imaged File Format(TIFF)", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        g_SetObj.m_imageType = c.stored;
        auto dlg = MakeDialog();
        EXPECT_EQ(Types(*dlg)->currentIndex(), c.shown);
        if (c.pick) {
            const int index = Types(*dlg)->findText(QString::fromLatin1(c.pick));
            ASSERT_NE(index, -1);
            Types(*dlg)->setCurrentIndex(index);
        }
        Press(*dlg, QDialogButtonBox::Ok);
        EXPECT_EQ(g_SetObj.m_imageType, c.expected);
    }
}

TEST_F(OptionsDialog, EncoderSettingsComeFromAndGoToTheProfileOnlyOnOk)
{
    const struct {
        const char* name;
        QVariant storedQuality, storedCompression;  // invalid: nothing in the profile
        int shownQuality, shownCompression;
        int setQuality, setCompression;  // 0 quality: leave the boxes alone
        QDialogButtonBox::StandardButton press;
        int savedQuality, savedCompression;
    } cases[] = {
        {"defaults", {}, {}, 90, 6, 0, 0, QDialogButtonBox::Ok, 90, 6},
        {"stored values, changed and cancelled", 40, 2, 40, 2, 75, 9, QDialogButtonBox::Cancel, 40, 2},
        {"stored values, changed and confirmed", 40, 2, 40, 2, 75, 9, QDialogButtonBox::Ok, 75, 9},
        {"hand-edited out of range", 500, -3, 100, 0, 0, 0, QDialogButtonBox::Ok, 100, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Profile().remove(QStringLiteral("Grabs"));
        if (c.storedQuality.isValid()) {
            Profile().setValue(QStringLiteral("Grabs/JpegQuality"), c.storedQuality);
            Profile().setValue(QStringLiteral("Grabs/PngCompression"), c.storedCompression);
        }
        auto dlg = MakeDialog();
        EXPECT_EQ(Spin(*dlg, "JpegQuality")->value(), c.shownQuality);
        EXPECT_EQ(Spin(*dlg, "PngCompression")->value(), c.shownCompression);
        if (c.setQuality) {
            Spin(*dlg, "JpegQuality")->setValue(c.setQuality);
            Spin(*dlg, "PngCompression")->setValue(c.setCompression);
        }
        Press(*dlg, c.press);
        const ImageEncoding saved = ImageEncoding::FromProfile();
        EXPECT_EQ(saved.jpegQuality, c.savedQuality);
        EXPECT_EQ(saved.pngCompression, c.savedCompression);
    }
}

TEST_F(OptionsDialog, UnwritableFolderCanBeChosenAgain)
{
    const QString before = g_SetObj.m_imageDir;
    const QString unwritable = UnwritablePath();
    auto dlg = MakeDialog(unwritable);
    dlg->show();
    Browse(*dlg);
    Press(*dlg, QDialogButtonBox::Ok);
    EXPECT_EQ(m_asked, QStringList{unwritable});
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(g_SetObj.m_imageDir, before);
}

// The real question: named for the main frame's tests, and an Enter by habit must not keep the folder.
TEST_F(OptionsDialog, UnwritableQuestionDefaultsToChoosingAgain)
{
    const QString unwritable = UnwritablePath();
    COptionsDlg dlg;
    dlg.SetFolderChooser([&](QWidget*, const QString&) { return unwritable; });
    Browse(dlg);

    QString name, text, defaultText;
    int tries = 0;
    std::function<void()> answer = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (++tries < 1000)
                QTimer::singleShot(0, answer);
            return;
        }
        name = box->objectName();
        text = box->icon() == QMessageBox::Warning ? box->text() : QString();
        defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == QLatin1String("Keep It"))
                button->click();
    };
    QTimer::singleShot(0, answer);
    Press(dlg, QDialogButtonBox::Ok);

    EXPECT_EQ(name, QLatin1String("UnwritableFolder"));
    EXPECT_EQ(text, QStringLiteral("Kestivo cannot create files in \"%1\": the folder cannot be created.\n\n"
                                   "Grabs would not be saved there.").arg(unwritable));
    EXPECT_EQ(defaultText, QLatin1String("Choose Another Folder"));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(g_SetObj.m_imageDir, unwritable);
}

}  // namespace
