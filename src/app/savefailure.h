// The settings saved at exit when "Options.dat" cannot be written (disk full, folder gone
// read-only): the user is told the system's reason and chooses to try again, to save the same file
// elsewhere, or to quit without saving, rather than losing the session's grabs unasked.
#pragma once

#include <QString>
#include <functional>

class CSetObj;
class QWidget;

enum class SaveFailureAnswer { TryAgain, SaveElsewhere, QuitWithoutSaving };

// How the user is asked; the boxes by default, a script in tests.
struct SaveFailureUi {
    // After each failed save, with the message that says where and why.
    std::function<SaveFailureAnswer(const QString& message)> ask;
    // Where to save instead; empty when the user cancels (and is asked again).
    std::function<QString(const QString& settingsPath)> choosePath;
    // Once the settings went elsewhere: where, and where to put them back.
    std::function<void(const QString& message)> tell;
};

struct SaveAtExitOutcome {
    bool saved = false;  // to the settings path or elsewhere
    QString savedTo;     // the file written, when saved
};

// Saves settings to path; when that fails, asks until they are saved somewhere or the user quits
// without saving.
SaveAtExitOutcome SaveSettingsOrAsk(const QString& path, CSetObj& settings, const SaveFailureUi& ui);

// The message for a save to path that failed for reason.
QString SaveFailedMessage(const QString& path, const QString& reason);

// The box "SaveFailed" with the buttons "TryAgain", "SaveElsewhere" and "QuitWithoutSaving"
// (object names); closing it tries again, so only the button quits without saving.
SaveFailureAnswer AskAfterFailedSave(QWidget* parent, const QString& message);
// The box above, a file dialog and an information box "SavedElsewhere".
SaveFailureUi SaveFailureDialogs(QWidget* parent);
