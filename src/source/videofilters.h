// The file dialog's filter list for video files.
#pragma once

#include <QString>

QString VideoFileFilters();
