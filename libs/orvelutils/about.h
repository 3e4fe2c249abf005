// The about box.
#pragma once

#include "colorref.h"

#include <QString>

class QWidget;
class QDialog;

// Shows, modally, the program's name, version and the path of its executable on a background of
// backColor. The third argument is reserved and ignored.
void OrvelAbout(const QString& exePath, ColorRef backColor, int reserved, QWidget* parent = nullptr);

// Builds the box without running it (for tests and for callers that want to show it themselves).
QDialog* CreateOrvelAbout(const QString& exePath, ColorRef backColor, QWidget* parent = nullptr);
