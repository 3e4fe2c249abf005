// The capture library's two dialogs: the format of a channel, and its picture controls.
#pragma once

#include "capformat.h"

#include <QDialog>
#include <QList>
#include <QMap>

class CCapBase;
class QListWidget;
class QSlider;

// Lists the formats by their labels with current selected; Chosen() is the selection.
class CCapFormatDlg : public QDialog {
    Q_OBJECT
public:
    CCapFormatDlg(const QList<CapFormat>& formats, const CapFormat& current, QWidget* parent = nullptr);
    CapFormat Chosen() const;

private:
    QList<CapFormat> m_formats;
    QListWidget* m_list;
};

// One slider per control of the channel, applied as it moves; Defaults resets them all.
class CCapConfigDlg : public QDialog {
    Q_OBJECT
public:
    CCapConfigDlg(CCapBase* capture, int channel, QWidget* parent = nullptr);

private:
    void OnDefaults();

    CCapBase* m_capture;
    int m_channel;
    QMap<QString, QSlider*> m_sliders;
};
