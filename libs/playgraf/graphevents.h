// The events a playback graph reports, and the notification that some are waiting.
#pragma once

#include <QEvent>

namespace graphevents {

inline constexpr long kComplete = 1;    // played to the end
inline constexpr long kUserAbort = 2;
inline constexpr long kErrorAbort = 3;  // a frame could not be decoded while playing

// Posted to the notify object when events are waiting: call CDSGraph::ProcessGraphEvents.
inline const QEvent::Type kGraphNotify = QEvent::Type(QEvent::User + 1);

}  // namespace graphevents
