#include "camlinklog.h"

Q_LOGGING_CATEGORY(lcCamlink, "kestivo.camlink", QtInfoMsg)
