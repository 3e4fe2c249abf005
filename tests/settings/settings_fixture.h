// Builds settings objects with a library tree for the settings tests.
#pragma once

#include "setobj.h"

#include <QByteArray>
#include <memory>

// A tree with nested folders, items with and without thumbnails, strings of 254, 255 and 70,000
// characters, a root name other than the default and an unusual image type.
std::unique_ptr<CSetObj> MakeRichSettings();

// The 14,440-byte block of an 80 x 60 thumbnail with a recognisable pattern.
QByteArray PatternThumb(int seed);
