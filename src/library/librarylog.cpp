#include "librarylog.h"

Q_LOGGING_CATEGORY(lcLibrary, "kestivo.library", QtInfoMsg)
