#include "ctimecodectrl.h"

#include <QFontDatabase>

CTimecodectrlctrl::CTimecodectrlctrl(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("Timecode"));
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(16);
    font.setBold(true);
    setFont(font);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setToolTip(tr("Current frame as hours:minutes:seconds:frames"));
    SetTimecode(QStringLiteral("00:00:00:00"));
}

void CTimecodectrlctrl::SetTimecode(const QString& text)
{
    setText(text);  // QLabel does nothing for an unchanged text
}

void CTimecodectrlctrl::SetBackColor(ColorRef color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(color));
    setPalette(p);
}
