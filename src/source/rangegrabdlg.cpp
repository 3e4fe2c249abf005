#include "rangegrabdlg.h"

#include "profile.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

// The last choice is kept in the profile for the next run.
using kestivo::Profile;

CRangeGrabDlg::CRangeGrabDlg(std::uint32_t in, std::uint32_t out, const QString& inTimecode,
                             const QString& outTimecode, QWidget* parent)
    : QDialog(parent), m_in(std::min(in, out)), m_out(std::max(in, out))
{
    setObjectName(QStringLiteral("RangeGrabDlg"));
    setWindowTitle(tr("Grab Range"));
    const int frames = int(std::min<std::uint32_t>(m_out - m_in + 1, std::uint32_t(INT32_MAX)));

    auto* marks = new QLabel(tr("From frame %1 (%2, In mark) to frame %3 (%4, Out mark)")
                                 .arg(QString::number(m_in), inTimecode, QString::number(m_out), outTimecode), this);
    m_every = new QRadioButton(tr("&Every frame"), this);
    m_everyKth = new QRadioButton(tr("Every &k-th frame, k ="), this);
    m_spaced = new QRadioButton(tr("&n frames evenly spaced, n ="), this);
    m_step = new QSpinBox(this);
    m_step->setRange(2, std::max(2, frames));
    m_count = new QSpinBox(this);
    m_count->setRange(1, frames);
    m_total = new QLabel(this);
    m_total->setObjectName(QStringLiteral("RangeTotal"));

    QSettings profile = Profile();
    m_step->setValue(profile.value(QStringLiteral("RangeGrab/Step"), 10).toInt());
    m_count->setValue(profile.value(QStringLiteral("RangeGrab/Count"), std::min(frames, 10)).toInt());
    const int mode = profile.value(QStringLiteral("RangeGrab/Mode"), 0).toInt();
    (mode == 1 ? m_everyKth : mode == 2 ? m_spaced : m_every)->setChecked(true);

    auto* choices = new QGridLayout;
    choices->addWidget(m_every, 0, 0, 1, 2);
    choices->addWidget(m_everyKth, 1, 0);
    choices->addWidget(m_step, 1, 1);
    choices->addWidget(m_spaced, 2, 0);
    choices->addWidget(m_count, 2, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Grab"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(marks);
    layout->addLayout(choices);
    layout->addWidget(m_total);
    layout->addWidget(buttons);

    for (QRadioButton* button : {m_every, m_everyKth, m_spaced})
        connect(button, &QRadioButton::toggled, this, &CRangeGrabDlg::ShowCount);
    for (QSpinBox* box : {m_step, m_count})
        connect(box, &QSpinBox::valueChanged, this, &CRangeGrabDlg::ShowCount);
    connect(this, &QDialog::accepted, this, [this] {
        QSettings profile = Profile();
        profile.setValue(QStringLiteral("RangeGrab/Mode"), m_everyKth->isChecked() ? 1 : m_spaced->isChecked() ? 2 : 0);
        profile.setValue(QStringLiteral("RangeGrab/Step"), m_step->value());
        profile.setValue(QStringLiteral("RangeGrab/Count"), m_count->value());
    });
    ShowCount();
}

RangeChoice CRangeGrabDlg::Choice() const
{
    RangeChoice choice;
    choice.in = m_in;
    choice.out = m_out;
    choice.mode = m_everyKth->isChecked() ? RangeChoice::Mode::EveryKth
                : m_spaced->isChecked()   ? RangeChoice::Mode::EvenlySpaced
                                          : RangeChoice::Mode::EveryFrame;
    choice.step = std::uint32_t(m_step->value());
    choice.count = std::uint32_t(m_count->value());
    return choice;
}

void CRangeGrabDlg::ShowCount()
{
    m_step->setEnabled(m_everyKth->isChecked());
    m_count->setEnabled(m_spaced->isChecked());
    m_total->setText(tr("%n file(s) will be written into the folder selected in the library.", nullptr,
                        int(RangeFrames(Choice()).size())));
}
