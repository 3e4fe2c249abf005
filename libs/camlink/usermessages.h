// GStreamer's reasons for a channel stopping, in words a user understands.
#pragma once

#include "channelpipeline.h"
#include "netoutcome.h"

#include <QString>

// name: the channel's display name; deviceGone: the device is no longer plugged in.
QString StopMessage(const QString& name, const BusEvent& event, bool isDevice, bool deviceGone);

// The kind of a network source's error. GStreamer's RTSP and HTTP sources report most failures
// as resource errors whose words (theirs, or the socket library's in the details) tell them apart.
NetOutcome ClassifyNetError(const BusEvent& event);
// A failure in words: who is the channel's name or the address without credentials; detail is
// GStreamer's text, shown where the kind alone says too little. Never called with Video.
QString NetFailureMessage(NetOutcome outcome, const QString& who, const QString& detail);
// Whether a channel that failed this way may come back by itself (a camera rebooting, a network
// down for a while); wrong credentials or a stream without video never will.
bool IsNetFailureLasting(NetOutcome outcome);
