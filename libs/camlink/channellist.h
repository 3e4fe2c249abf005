// Which channels there are: the test channels of $KESTIVO_TEST_CHANNELS, or the capture devices
// of a device monitor in the order the user saw them before.
#pragma once

#include "gstptr.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

struct ChannelInfo {
    QString name;         // unique among the channels
    QString identity;     // "test:<name>", or the device's path or id
    QString description;  // test channels: the gst-launch description of the source
    std::shared_ptr<GstDevice> device;  // device channels: replaced when the device comes back
    bool isTest = false;
    bool isNetwork = false;  // a network camera: address is what it opens
    QString address;         // network channels: as the user typed it, credentials included
    bool removed = false;    // a network camera removed in this run: its number is never reused
    bool available = true;  // false while the device is unplugged
};

// "Name=description;Name2=description2"; entries without '=' or a name are skipped with a warning.
QList<ChannelInfo> ParseTestChannels(const QString& list);

// The identity a device is remembered by: its node path or id, else its display name.
QString DeviceIdentity(GstDevice* device);
std::shared_ptr<GstDevice> ShareDevice(GstDevice* device);  // takes a new reference

// Orders channels by their place in known; new ones (by identity) follow and are added to known.
void OrderByKnown(QList<ChannelInfo>& channels, QStringList& known);
// The second and later channels of one display name become "Name (2)", "Name (3)".
void MakeNamesUnique(QList<ChannelInfo>& channels);

// The monitor's devices, ordered and named; the profile's list of known devices is updated.
QList<ChannelInfo> EnumerateDevices(GstDeviceMonitor* monitor);
