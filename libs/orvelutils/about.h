// The about box.
#pragma once

#include "colorref.h"

#include <QString>

class QWidget;
class QDialog;

// Shows, modally, the program's name, version and the path of its executable on a background of
// backColor, then details (free text, one item a line: the versions of the libraries in use, say)
// when there are any. The third argument is reserved and ignored.
void OrvelAbout(const QString& exePath, ColorRef backColor, int reserved, QWidget* parent = nullptr,
                const QString& details = {});

// Builds the box without running it (for tests and for callers that want to show it themselves).
// The details show as plain text in a label named "details", absent when details is empty.
QDialog* CreateOrvelAbout(const QString& exePath, ColorRef backColor, QWidget* parent = nullptr,
                          const QString& details = {});
