#include "savefailure.h"

#include "logging.h"
#include "settingsfile.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

QString SaveFailedMessage(const QString& path, const QString& reason)
{
    return QApplication::translate("SaveFailure",
                                   "The settings and the library could not be saved to \"%1\": %2.\n\n"
                                   "The previous settings file, if any, is unchanged.")
        .arg(QDir::toNativeSeparators(path), reason);
}

SaveAtExitOutcome SaveSettingsOrAsk(const QString& path, CSetObj& settings, const SaveFailureUi& ui)
{
    QString target = path;
    for (;;) {
        const SettingsSaveResult result = SaveSettings(target, settings);
        if (result.ok) {
            if (target != path) {
                const QString message = QApplication::translate(
                    "SaveFailure",
                    "The settings and the library were saved to \"%1\".\n\n"
                    "Kestivo reads them from \"%2\": put the file there, under that name, "
                    "once the folder can take it, to have them at the next start.")
                    .arg(QDir::toNativeSeparators(target), QDir::toNativeSeparators(path));
                qCWarning(lcApp).noquote() << message;
                ui.tell(message);
            }
            return {true, target};
        }
        const QString message = SaveFailedMessage(target, result.reason);
        qCCritical(lcApp).noquote() << message;
        target = path;
        switch (ui.ask(message)) {
        case SaveFailureAnswer::TryAgain:
            break;
        case SaveFailureAnswer::SaveElsewhere: {
            // Cancelled: the settings file once more, and the question again if it still fails.
            const QString chosen = ui.choosePath(path);
            if (!chosen.isEmpty())
                target = chosen;
            break;
        }
        case SaveFailureAnswer::QuitWithoutSaving:
            qCWarning(lcApp) << "quitting without saving the settings";
            return {};
        }
    }
}

SaveFailureAnswer AskAfterFailedSave(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message, QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("SaveFailed"));
    box.setInformativeText(QApplication::translate(
        "SaveFailure", "Quitting without saving loses what changed in this session, the new grabs' "
                       "places in the library among it."));
    const auto add = [&box](const char* name, const QString& label, QMessageBox::ButtonRole role) {
        QPushButton* button = box.addButton(label, role);
        button->setObjectName(QString::fromLatin1(name));
        return button;
    };
    QPushButton* tryAgain = add("TryAgain", QApplication::translate("SaveFailure", "Try Again"), QMessageBox::AcceptRole);
    QPushButton* elsewhere = add("SaveElsewhere", QApplication::translate("SaveFailure", "Save Elsewhere..."), QMessageBox::ActionRole);
    QPushButton* quit = add("QuitWithoutSaving", QApplication::translate("SaveFailure", "Quit Without Saving"), QMessageBox::DestructiveRole);
    box.setDefaultButton(tryAgain);
    box.setEscapeButton(tryAgain);
    box.exec();
    if (box.clickedButton() == elsewhere)
        return SaveFailureAnswer::SaveElsewhere;
    if (box.clickedButton() == quit)
        return SaveFailureAnswer::QuitWithoutSaving;
    return SaveFailureAnswer::TryAgain;
}

SaveFailureUi SaveFailureDialogs(QWidget* parent)
{
    SaveFailureUi ui;
    ui.ask = [parent](const QString& message) { return AskAfterFailedSave(parent, message); };
    ui.choosePath = [parent](const QString& settingsPath) {
        return QFileDialog::getSaveFileName(parent, QApplication::translate("SaveFailure", "Save the Settings Elsewhere"),
                                            QDir::home().filePath(QFileInfo(settingsPath).fileName()));
    };
    ui.tell = [parent](const QString& message) {
        QMessageBox box(QMessageBox::Information, QApplication::applicationName(), message, QMessageBox::Ok, parent);
        box.setObjectName(QStringLiteral("SavedElsewhere"));
        box.exec();
    };
    return ui;
}
