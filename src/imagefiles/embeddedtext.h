// Text added to encoded JPEG and TIFF files after Qt's writers made them. Qt's JPEG writer gives
// each text key a comment of its own, of which most readers show only the last; its TIFF writer
// keeps no text at all. So the grab's items go in as one comment and one image description.
#pragma once

#include <QByteArray>

// Adds a comment segment (JPEG COM) after the start marker and the JFIF header. Text longer than a
// segment holds is cut. False, leaving jpeg as it was, when jpeg does not start as a JPEG file.
bool AddJpegComment(QByteArray& jpeg, const QByteArray& text);

// Gives the first image of a classic TIFF file an image description (tag 270), replacing any it
// had. The directory is written anew at the end of the file with the text; the old one stays
// behind, unreferenced. False, leaving tiff as it was, for anything but a well-formed classic TIFF.
bool AddTiffDescription(QByteArray& tiff, const QByteArray& text);
