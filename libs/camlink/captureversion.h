// The GStreamer in use, as the about box tells it.
#pragma once

#include <QString>

// "GStreamer 1.22.0": the library loaded at run time.
QString CaptureLibraryVersionText();
