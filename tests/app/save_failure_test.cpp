#include "bytes.h"
#include "savefailure.h"
#include "settingsfile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Script {
    const char* name;
    std::vector<SaveFailureAnswer> answers;
    QString elsewhere;  // what the file dialog answers, relative to the test folder; empty: cancel
    bool saved;
    bool savedElsewhere;
};

}  // namespace

TEST(SaveFailure, TheUserChoosesWhatBecomesOfTheSettings)
{
    using A = SaveFailureAnswer;
    const std::vector<Script> scripts{
        {"try again once the folder is back", {A::TryAgain}, {}, true, false},
        {"save elsewhere", {A::SaveElsewhere}, QStringLiteral("usb/Options.dat"), true, true},
        {"save elsewhere cancelled, then quit", {A::SaveElsewhere, A::QuitWithoutSaving}, {}, false, false},
        {"quit without saving", {A::QuitWithoutSaving}, {}, false, false},
    };
    for (const Script& script : scripts) {
        QTemporaryDir dir;
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("usb")));
        // The settings folder is gone: every save fails until the script brings it back.
        const QString path = dir.filePath(QStringLiteral("gone/Options.dat"));
        CSetObj settings(CSetObj::InMemoryTag{});
        settings.m_imageType = 3;

        QStringList asked, told;
        size_t next = 0;
        SaveFailureUi ui;
        ui.ask = [&](const QString& message) {
            asked.append(message);
            const A answer = next < script.answers.size() ? script.answers[next++] : A::QuitWithoutSaving;
            if (answer == A::TryAgain)
                QDir(dir.path()).mkdir(QStringLiteral("gone"));
            return answer;
        };
        ui.choosePath = [&](const QString&) { return script.elsewhere.isEmpty() ? QString() : dir.filePath(script.elsewhere); };
        ui.tell = [&](const QString& message) { told.append(message); };

        const SaveAtExitOutcome outcome = SaveSettingsOrAsk(path, settings, ui);
        SCOPED_TRACE(script.name);
        EXPECT_EQ(asked.size(), int(script.answers.size()));
        ASSERT_FALSE(asked.isEmpty());
        EXPECT_TRUE(asked.first().contains(path) && asked.first().contains(QStringLiteral("No such file or directory")))
            << asked.first().toStdString();
        EXPECT_EQ(outcome.saved, script.saved);
        if (!script.saved)
            continue;
        const QString written = script.savedElsewhere ? dir.filePath(script.elsewhere) : path;
        EXPECT_EQ(outcome.savedTo, written);
        EXPECT_EQ(ReadAllBytes(written), WriteSettings(settings));
        // Saved elsewhere, the user learns where it went and where it belongs.
        ASSERT_EQ(told.size(), script.savedElsewhere ? 1 : 0);
        if (script.savedElsewhere) {
            EXPECT_TRUE(told.first().contains(written) && told.first().contains(path)) << told.first().toStdString();
        }
    }
}

TEST(SaveFailure, TheBoxAnswersWithTheButtonPressedAndClosingTriesAgain)
{
    const std::vector<std::pair<QString, SaveFailureAnswer>> presses{
        {QStringLiteral("TryAgain"), SaveFailureAnswer::TryAgain},
        {QStringLiteral("SaveElsewhere"), SaveFailureAnswer::SaveElsewhere},
        {QStringLiteral("QuitWithoutSaving"), SaveFailureAnswer::QuitWithoutSaving},
        {QString(), SaveFailureAnswer::TryAgain},  // closed without a button
    };
    for (const auto& [button, answer] : presses) {
        QString seenName, seenText;
        QTimer::singleShot(0, [&, button = button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seenName = box->objectName();
            seenText = box->text();
            if (button.isEmpty())
                box->reject();
            else if (auto* pressed = box->findChild<QAbstractButton*>(button))
                pressed->click();
        });
        EXPECT_EQ(AskAfterFailedSave(nullptr, SaveFailedMessage(QStringLiteral("/full/Options.dat"), QStringLiteral("No space left on device"))),
                  answer)
            << button.toStdString();
        EXPECT_EQ(seenName, QStringLiteral("SaveFailed"));
        EXPECT_TRUE(seenText.contains(QStringLiteral("No space left on device")));
    }
}
