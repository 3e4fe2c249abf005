// ImageMagick as an independent reader and writer of image files, for checking ours.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

bool MagickAvailable();
// The size identify reports, or an empty size.
QSize MagickSize(const QString& path);
// What identify -verbose says of the file (properties, comments and all), or an empty string.
QString MagickVerbose(const QString& path);
// The pixels as convert decodes them: width x height x 4 bytes of red, green, blue, alpha.
QByteArray MagickRgba(const QString& path);
// Runs convert with the arguments; true when it succeeded.
bool MagickConvert(const QStringList& arguments);
