// GIF decoding through giflib: the first picture as a palette image on its logical screen. (Qt's
// own GIF reader turns every GIF into 32-bit colour, losing the palette that the file has.)
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

bool IsGif(const QByteArray& bytes);
// An Indexed8 image, or a null one with the reason in error.
QImage DecodeGif(const QByteArray& bytes, QString& error);
