// "Add Network Camera...": a name and an address, kept only once the address gave a picture.
#pragma once

#include "netoutcome.h"

#include <QDialog>
#include <functional>

class CNetProbe;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QProgressBar;

// User-interface thread only. OK checks the address (CNetProbe, up to the time limit) while the
// dialog shows that it is waiting and Cancel stays live; the dialog is accepted only when video
// came. A failure is shown in the dialog, which stays open for a corrected address.
class CNetCamDlg : public QDialog {
    Q_OBJECT
public:
    // nameProblem: why a name cannot be used (taken), or empty.
    explicit CNetCamDlg(std::function<QString(const QString&)> nameProblem, QWidget* parent = nullptr);
    ~CNetCamDlg() override;

    QString Name() const;
    QString Address() const;
    void SetTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    // What the last check said (empty while none failed).
    QString Problem() const;
    bool IsChecking() const;

    void accept() override;
    void reject() override;

Q_SIGNALS:
    // A check ended; outcome Video is followed by the dialog's acceptance.
    void checked(NetOutcome outcome, const QString& message);

private:
    void OnChecked(NetOutcome outcome, const QString& message);
    void SetChecking(bool checking);
    void ShowProblem(const QString& message);

    std::function<QString(const QString&)> m_nameProblem;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_address = nullptr;
    QLabel* m_problem = nullptr;
    QLabel* m_waiting = nullptr;
    QProgressBar* m_busy = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    CNetProbe* m_probe = nullptr;
    int m_timeoutMs = 10000;
};
