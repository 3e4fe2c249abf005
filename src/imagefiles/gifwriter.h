// GIF encoding: giflib for the file, libimagequant for the palette of true-colour pictures.
#pragma once

#include "imagestatus.h"

#include <QByteArray>
#include <QImage>

// Encodes one picture as a GIF89a. Palette images keep their palette; a true-colour picture of at
// most 256 colours gets exactly those colours; others are quantised by libimagequant (dithered).
// Fully transparent pixels become the transparent colour.
ImageStatus EncodeGif(const QImage& image, QByteArray& out);
