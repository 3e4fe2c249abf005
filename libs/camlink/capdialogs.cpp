#include "capdialogs.h"

#include "ccapbase.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

CCapFormatDlg::CCapFormatDlg(const QList<CapFormat>& formats, const CapFormat& current, QWidget* parent)
    : QDialog(parent), m_formats(formats), m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("CapFormatDlg"));
    setModal(true);
    m_list->setObjectName(QStringLiteral("FormatList"));
    for (const CapFormat& format : m_formats)
        m_list->addItem(format.Label());
    const qsizetype selected = m_formats.indexOf(current);
    m_list->setCurrentRow(selected < 0 ? 0 : int(selected));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

CapFormat CCapFormatDlg::Chosen() const
{
    const int row = m_list->currentRow();
    return row >= 0 && row < m_formats.size() ? m_formats[row] : CapFormat{};
}

CCapConfigDlg::CCapConfigDlg(CCapBase* capture, int channel, QWidget* parent)
    : QDialog(parent), m_capture(capture), m_channel(channel)
{
    setObjectName(QStringLiteral("CapConfigDlg"));
    setModal(true);
    auto* form = new QFormLayout;
    const QList<CapControl> controls = capture->GetChanControls(channel);
    for (const CapControl& control : controls) {
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(QStringLiteral("ControlSlider_") + control.name);
        slider->setRange(control.minimum, control.maximum);
        slider->setValue(control.value);
        slider->setMinimumWidth(240);
        const QString name = control.name;
        connect(slider, &QSlider::valueChanged, this,
                [this, name](int value) { m_capture->SetChanControl(m_channel, name, value); });
        form->addRow(control.name, slider);
        m_sliders.insert(control.name, slider);
    }
    if (controls.isEmpty())
        form->addRow(new QLabel(tr("The picture controls are known once the channel has played."), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* defaults = buttons->addButton(tr("Defaults"), QDialogButtonBox::ResetRole);
    defaults->setObjectName(QStringLiteral("DefaultsButton"));
    defaults->setEnabled(!controls.isEmpty());
    connect(defaults, &QPushButton::clicked, this, &CCapConfigDlg::OnDefaults);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CCapConfigDlg::OnDefaults()
{
    m_capture->ResetChanControls(m_channel);
    for (const CapControl& control : m_capture->GetChanControls(m_channel)) {
        if (QSlider* slider = m_sliders.value(control.name)) {
            // Moving the slider must not remember the default as a choice of the user's.
            const QSignalBlocker block(slider);
            slider->setValue(control.value);
        }
    }
}
