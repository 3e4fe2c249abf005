#include "logging.h"

Q_LOGGING_CATEGORY(lcApp, "kestivo.app", QtInfoMsg)
