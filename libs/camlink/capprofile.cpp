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

}  // namespace capprofile
