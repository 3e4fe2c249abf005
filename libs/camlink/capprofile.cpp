#include "capprofile.h"

#include <QSettings>
#include <QUrl>

namespace capprofile {
namespace {

QSettings Profile()
{
    return QSettings(QStringLiteral("Orvel"), QStringLiteral("Kestivo"));
}

// Identities hold '/' ("/dev/video0"), which QSettings would read as nested groups.
QString Segment(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

QString ChannelGroup(const QString& identity)
{
    return QStringLiteral("Capture/") + Segment(identity);
}

}  // namespace

QStringList KnownDevices()
{
    return Profile().value(QStringLiteral("Capture/KnownDevices")).toStringList();
}

void SetKnownDevices(const QStringList& identities)
{
    Profile().setValue(QStringLiteral("Capture/KnownDevices"), identities);
}

CapFormat Format(const QString& identity)
{
    return CapFormat::FromCaps(Profile().value(ChannelGroup(identity) + QStringLiteral("/Format")).toString());
}

void SetFormat(const QString& identity, const CapFormat& format)
{
    QSettings profile = Profile();
    const QString key = ChannelGroup(identity) + QStringLiteral("/Format");
    if (format.IsDefault())
        profile.remove(key);
    else
        profile.setValue(key, format.ToCaps());
}

QHash<QString, int> Controls(const QString& identity)
{
    QSettings profile = Profile();
    profile.beginGroup(ChannelGroup(identity) + QStringLiteral("/Controls"));
    QHash<QString, int> values;
    for (const QString& key : profile.childKeys()) {
        bool ok = false;
        const int value = profile.value(key).toInt(&ok);
        if (ok)
            values.insert(QUrl::fromPercentEncoding(key.toLatin1()), value);
    }
    return values;
}

void SetControl(const QString& identity, const QString& control, int value)
{
    Profile().setValue(ChannelGroup(identity) + QStringLiteral("/Controls/") + Segment(control), value);
}

void ForgetControls(const QString& identity)
{
    Profile().remove(ChannelGroup(identity) + QStringLiteral("/Controls"));
}

QList<NetCamera> NetCameras()
{
    QSettings profile = Profile();
    QList<NetCamera> cameras;
    const int count = profile.beginReadArray(QStringLiteral("Capture/NetworkCameras"));
    for (int i = 0; i < count; ++i) {
        profile.setArrayIndex(i);
        NetCamera camera{profile.value(QStringLiteral("Name")).toString(), profile.value(QStringLiteral("Address")).toString()};
        if (!camera.name.isEmpty() && !camera.address.isEmpty())
            cameras.append(camera);
    }
    profile.endArray();
    return cameras;
}

void SetNetCameras(const QList<NetCamera>& cameras)
{
    QSettings profile = Profile();
    profile.remove(QStringLiteral("Capture/NetworkCameras"));
    profile.beginWriteArray(QStringLiteral("Capture/NetworkCameras"), int(cameras.size()));
    for (int i = 0; i < cameras.size(); ++i) {
        profile.setArrayIndex(i);
        profile.setValue(QStringLiteral("Name"), cameras[i].name);
        profile.setValue(QStringLiteral("Address"), cameras[i].address);
    }
    profile.endArray();
}

}  // namespace capprofile
