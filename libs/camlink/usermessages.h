// GStreamer's reasons for a channel stopping, in words a user understands.
#pragma once

#include "channelpipeline.h"

#include <QString>

// name: the channel's display name; deviceGone: the device is no longer plugged in.
QString StopMessage(const QString& name, const BusEvent& event, bool isDevice, bool deviceGone);
