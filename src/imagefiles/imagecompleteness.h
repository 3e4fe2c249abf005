// Whether an image file holds all of its picture. Qt's BMP and JPEG readers return what they could
// decode of a file that was cut short, with the rest blank or grey: for a grab tool that would be
// a silently damaged picture, so such files are refused instead.
#pragma once

#include <QByteArray>
#include <QString>

// Empty when the bytes look complete (or the format gives no way to tell); otherwise why not.
QString IncompletenessOf(const QByteArray& bytes);
