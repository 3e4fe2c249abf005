#pragma once

#include <QLoggingCategory>

// "kestivo.app": start-up, single instance, shutdown. Enable the debug lines with
// QT_LOGGING_RULES="kestivo.app.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcApp)
