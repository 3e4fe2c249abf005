#pragma once

#include <QLoggingCategory>

// "kestivo.library": what the library window does with items and folders. Enable the debug lines
// with QT_LOGGING_RULES="kestivo.library.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcLibrary)
