// Text added to encoded TIFF files after Qt's writer made them: it keeps no text at all, so the
// grab's items go in as one image description.
#pragma once

#include <QByteArray>

// Gives the first image of a classic TIFF file an image description (tag 270), replacing any it
// had. The directory is written anew at the end of the file with the text; the old one stays
// behind, unreferenced. False, leaving tiff as it was, for anything but a well-formed classic TIFF.
bool AddTiffDescription(QByteArray& tiff, const QByteArray& text);
