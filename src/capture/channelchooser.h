// Which channels have capture panes: the first four the user has not set aside, and "Channels...",
// where the user chooses them when there are more.
#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

class CCapBase;
class QLabel;
class QListWidget;
class QListWidgetItem;

// The channels with panes: in channel order, those not named in hidden, at most max; removed
// channels (no name) never. A channel new to the profile gets a pane while there is room.
QList<int> PaneChannels(const CCapBase& capture, const QStringList& hidden, int max);
// The names set aside in the profile ("Capture/HiddenChannels").
QStringList HiddenChannels();
void SetHiddenChannels(const QStringList& names);

// User-interface thread only. Every channel with a check box, the network ones with their address
// (never credentials); at most max may be checked.
class CChannelChooserDlg : public QDialog {
    Q_OBJECT
public:
    CChannelChooserDlg(const CCapBase& capture, const QList<int>& shown, int max, QWidget* parent = nullptr);

    // The checked channels in channel order, and the names of the others.
    QList<int> Chosen() const;
    QStringList Unchosen() const;
    QListWidget* List() const { return m_list; }

private:
    void OnItemChanged(QListWidgetItem* item);

    QListWidget* m_list = nullptr;
    QLabel* m_note = nullptr;
    const int m_max;
};
