// Removing an image file that the library refers to.
#pragma once

#include <QString>

// Moves the file at path to the desktop's trash (where the file system has one, so that the user
// can take it back), else removes it. Only a regular file or a symbolic link is touched (a link is
// trashed or removed itself, never its target); directories and relative paths are left alone:
// the paths come from a settings file, which may have been edited or damaged, and must never be
// able to take anything else with them. Returns true when the file left its place.
bool DeleteImageFile(const QString& path);
