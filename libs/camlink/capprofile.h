// What the capture library keeps in the user's profile: the devices seen before (their order), and
// per channel identity the chosen format and the picture controls the user moved.
#pragma once

#include "capformat.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace capprofile {

QStringList KnownDevices();
void SetKnownDevices(const QStringList& identities);

CapFormat Format(const QString& identity);
void SetFormat(const QString& identity, const CapFormat& format);

// Control name -> value, only the controls the user changed.
QHash<QString, int> Controls(const QString& identity);
void SetControl(const QString& identity, const QString& control, int value);
void ForgetControls(const QString& identity);

}  // namespace capprofile
