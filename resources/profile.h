// The user's profile: the settings that live beside "Options.dat" rather than in it (window
// layout, looks, toolbars, encoder choices, the last range grab), whose layout is fixed.
#pragma once

#include "resource.h"

#include <QSettings>

namespace kestivo {

inline QSettings Profile()
{
    return QSettings(QLatin1String(text::kOrganisation), QLatin1String(text::kAppName));
}

}  // namespace kestivo
