// What the capture library keeps in the user's profile: the devices seen before (their order), and
// per channel identity the chosen format and the picture controls the user moved.
#pragma once

#include "capformat.h"

#include <QHash>
#include <QList>
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

// The network cameras the user added, in the order added: "Capture/NetworkCameras", an array of
// name and address. The address keeps its credentials: the camera needs them at every start.
struct NetCamera {
    QString name;
    QString address;
};
QList<NetCamera> NetCameras();
void SetNetCameras(const QList<NetCamera>& cameras);

}  // namespace capprofile
