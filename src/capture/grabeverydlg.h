// Grab Every...: the interval and the number of a timed grab, the last ones kept in the profile.
#pragma once

#include "timedgrab.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

// User-interface thread only. The interval is a number of seconds, minutes or hours (one decimal);
// the count is off ("until stopped") or 1 and up.
class CGrabEveryDlg : public QDialog {
    Q_OBJECT
public:
    CGrabEveryDlg(const QString& title, QWidget* parent = nullptr);

    void SetPlan(const TimedGrabPlan& plan);
    // The interval brought within the plan's limits.
    TimedGrabPlan Plan() const;

private:
    void OnUnitChanged();

    QDoubleSpinBox* m_interval = nullptr;
    QComboBox* m_unit = nullptr;
    QCheckBox* m_limited = nullptr;
    QSpinBox* m_count = nullptr;
};

// The plan of the last timed grab started, or one grab a second until stopped.
TimedGrabPlan LastTimedGrabPlan();
void RememberTimedGrabPlan(const TimedGrabPlan& plan);

// Shows the dialog with the last plan; the plan chosen (and remembered), or nothing when cancelled.
std::optional<TimedGrabPlan> AskTimedGrabPlan(QWidget* parent, const QString& title);
