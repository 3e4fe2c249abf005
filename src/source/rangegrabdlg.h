// Grab Range...: which frames between the In and Out marks to grab.
#pragma once

#include "rangegrab.h"

#include <QDialog>

class QLabel;
class QRadioButton;
class QSpinBox;

// User-interface thread only.
class CRangeGrabDlg : public QDialog {
    Q_OBJECT
public:
    // in, out: the marks; timecodes: how they read on the source's counter.
    CRangeGrabDlg(std::uint32_t in, std::uint32_t out, const QString& inTimecode, const QString& outTimecode,
                  QWidget* parent = nullptr);

    RangeChoice Choice() const;

private:
    void ShowCount();

    std::uint32_t m_in, m_out;
    QRadioButton* m_every = nullptr;
    QRadioButton* m_everyKth = nullptr;
    QRadioButton* m_spaced = nullptr;
    QSpinBox* m_step = nullptr;
    QSpinBox* m_count = nullptr;
    QLabel* m_total = nullptr;
};
