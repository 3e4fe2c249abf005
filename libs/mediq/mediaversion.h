// The FFmpeg in use, as the about box tells it.
#pragma once

#include <QString>

// "FFmpeg 5.1.6-0+deb12u1 (libavformat 59.27.100, libavcodec 59.37.100)": the libraries loaded at
// run time, which may differ from the headers the program was built with.
QString MediaLibraryVersionText();
