// The timecode display: "HH:MM:SS:FF", large, on the panes' background colour.
#pragma once

#include "colorref.h"

#include <QLabel>

class CTimecodectrlctrl : public QLabel {
    Q_OBJECT
public:
    explicit CTimecodectrlctrl(QWidget* parent = nullptr);
    void SetTimecode(const QString& text);
    void SetBackColor(ColorRef color);
};
