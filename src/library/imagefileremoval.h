// Removing an image file that the library refers to.
#pragma once

#include <QString>

// Removes the file at path when it is a regular file or a symbolic link (the link itself, never
// its target). Directories and relative paths are left alone: the paths come from a settings file,
// which may have been edited or damaged, and must never be able to take anything else with them.
// Returns true when a file was removed.
bool DeleteImageFile(const QString& path);
