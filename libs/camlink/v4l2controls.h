// The default values of a V4L2 device's controls, straight from the driver.
#pragma once

#include <QHash>
#include <QString>

// Control name (as the driver names it, which is what the device's colour balance shows) ->
// default value; empty when the device cannot be opened or has no controls.
QHash<QString, int> V4l2ControlDefaults(const QString& devicePath);
