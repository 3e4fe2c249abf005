// What opening a network camera's address came to (no GStreamer types, for the dialogs).
#pragma once

enum class NetOutcome { Video, BadAddress, Unreachable, Refused, Unauthorised, NotFound, NotVideo, Failed };
