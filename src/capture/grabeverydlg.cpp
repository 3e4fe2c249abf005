#include "grabeverydlg.h"

#include "profile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr int kUnitsMs[] = {1000, 60 * 1000, 60 * 60 * 1000};
const QString kIntervalKey = QStringLiteral("TimedGrab/IntervalMs");
const QString kCountKey = QStringLiteral("TimedGrab/Count");

int Clamped(int intervalMs)
{
    return std::clamp(intervalMs, TimedGrabPlan::kMinIntervalMs, TimedGrabPlan::kMaxIntervalMs);
}

}  // namespace

CGrabEveryDlg::CGrabEveryDlg(const QString& title, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("GrabEveryDlg"));
    setWindowTitle(title);
    m_interval = new QDoubleSpinBox(this);
    m_interval->setObjectName(QStringLiteral("Interval"));
    m_interval->setDecimals(1);
    m_interval->setMinimum(0.1);
    m_interval->setSingleStep(0.5);
    m_unit = new QComboBox(this);
    m_unit->setObjectName(QStringLiteral("IntervalUnit"));
    m_unit->addItems({tr("seconds"), tr("minutes"), tr("hours")});
    m_limited = new QCheckBox(tr("&Stop after"), this);
    m_limited->setObjectName(QStringLiteral("Limited"));
    m_count = new QSpinBox(this);
    m_count->setObjectName(QStringLiteral("Count"));
    m_count->setRange(1, 1000000);
    m_count->setSuffix(tr(" images"));

    auto* interval = new QHBoxLayout;
    interval->addWidget(m_interval, 1);
    interval->addWidget(m_unit);
    auto* count = new QHBoxLayout;
    count->addWidget(m_limited);
    count->addWidget(m_count, 1);
    auto* form = new QFormLayout;
    form->addRow(tr("&Grab every"), interval);
    form->addRow(count);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Start"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_unit, &QComboBox::currentIndexChanged, this, &CGrabEveryDlg::OnUnitChanged);
    connect(m_limited, &QCheckBox::toggled, m_count, &QWidget::setEnabled);
    SetPlan(TimedGrabPlan{});
}

void CGrabEveryDlg::OnUnitChanged()
{
    // The number stays; the largest one allowed is the longest interval in the new unit.
    const int unit = kUnitsMs[std::max(0, m_unit->currentIndex())];
    m_interval->setMaximum(std::min(999.9, double(TimedGrabPlan::kMaxIntervalMs) / unit));
}

void CGrabEveryDlg::SetPlan(const TimedGrabPlan& plan)
{
    const int intervalMs = Clamped(plan.intervalMs);
    int unit = GrabIntervalUnitMs(intervalMs);
    if (double(intervalMs) / unit > 999.9)
        unit = kUnitsMs[1];  // more seconds than the box holds: in minutes, rounded
    m_unit->setCurrentIndex(int(std::find(std::begin(kUnitsMs), std::end(kUnitsMs), unit) - std::begin(kUnitsMs)));
    OnUnitChanged();
    m_interval->setValue(double(intervalMs) / unit);
    m_limited->setChecked(plan.count > 0);
    m_count->setEnabled(plan.count > 0);
    m_count->setValue(plan.count > 0 ? plan.count : 10);
}

TimedGrabPlan CGrabEveryDlg::Plan() const
{
    const int unit = kUnitsMs[std::max(0, m_unit->currentIndex())];
    return TimedGrabPlan{Clamped(int(std::lround(m_interval->value() * unit))), m_limited->isChecked() ? m_count->value() : 0};
}

TimedGrabPlan LastTimedGrabPlan()
{
    const QSettings profile = kestivo::Profile();
    TimedGrabPlan plan;
    plan.intervalMs = Clamped(profile.value(kIntervalKey, plan.intervalMs).toInt());
    plan.count = std::max(0, profile.value(kCountKey, plan.count).toInt());
    return plan;
}

void RememberTimedGrabPlan(const TimedGrabPlan& plan)
{
    QSettings profile = kestivo::Profile();
    profile.setValue(kIntervalKey, plan.intervalMs);
    profile.setValue(kCountKey, plan.count);
}

std::optional<TimedGrabPlan> AskTimedGrabPlan(QWidget* parent, const QString& title)
{
    CGrabEveryDlg dialog(title, parent);
    dialog.SetPlan(LastTimedGrabPlan());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const TimedGrabPlan plan = dialog.Plan();
    RememberTimedGrabPlan(plan);
    return plan;
}
