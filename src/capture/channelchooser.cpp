#include "channelchooser.h"

#include "ccapbase.h"
#include "profile.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

const QString kHiddenKey = QStringLiteral("Capture/HiddenChannels");

}  // namespace

QList<int> PaneChannels(const CCapBase& capture, const QStringList& hidden, int max)
{
    QList<int> channels;
    for (int channel = 0; channel < capture.GetChanCount() && channels.size() < max; ++channel) {
        const QString name = capture.GetChanName(channel);
        if (!name.isEmpty() && !hidden.contains(name))
            channels.append(channel);
    }
    return channels;
}

QStringList HiddenChannels()
{
    return kestivo::Profile().value(kHiddenKey).toStringList();
}

void SetHiddenChannels(const QStringList& names)
{
    kestivo::Profile().setValue(kHiddenKey, names);
}

CChannelChooserDlg::CChannelChooserDlg(const CCapBase& capture, const QList<int>& shown, int max, QWidget* parent)
    : QDialog(parent), m_max(max)
{
    setObjectName(QStringLiteral("ChannelChooserDlg"));
    setWindowTitle(tr("Channels"));
    auto* intro = new QLabel(tr("Choose the channels that have a pane (at most %1):").arg(max), this);
    m_list = new QListWidget(this);
    for (int channel = 0; channel < capture.GetChanCount(); ++channel) {
        const QString name = capture.GetChanName(channel);
        if (name.isEmpty())
            continue;
        const QString address = capture.GetChanAddress(channel);
        auto* item = new QListWidgetItem(address.isEmpty() ? name : tr("%1 (%2)").arg(name, address), m_list);
        item->setData(Qt::UserRole, channel);
        item->setData(Qt::UserRole + 1, name);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(shown.contains(channel) ? Qt::Checked : Qt::Unchecked);
    }
    m_note = new QLabel(this);
    m_note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemChanged, this, &CChannelChooserDlg::OnItemChanged);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_list);
    layout->addWidget(m_note);
    layout->addWidget(buttons);
}

QList<int> CChannelChooserDlg::Chosen() const
{
    QList<int> chosen;
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->item(row)->checkState() == Qt::Checked)
            chosen.append(m_list->item(row)->data(Qt::UserRole).toInt());
    }
    return chosen;
}

QStringList CChannelChooserDlg::Unchosen() const
{
    QStringList names;
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->item(row)->checkState() != Qt::Checked)
            names.append(m_list->item(row)->data(Qt::UserRole + 1).toString());
    }
    return names;
}

// A check beyond the limit is taken back at once, with the reason.
void CChannelChooserDlg::OnItemChanged(QListWidgetItem* item)
{
    if (item->checkState() == Qt::Checked && Chosen().size() > m_max) {
        const QSignalBlocker block(m_list);
        item->setCheckState(Qt::Unchecked);
        m_note->setText(tr("At most %1 channels have panes: clear one first.").arg(m_max));
        return;
    }
    m_note->clear();
}
