// FFmpeg's error codes, said as the project says errors: a readable sentence.
#pragma once

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcMediq)

QString AvErrorText(int code);
