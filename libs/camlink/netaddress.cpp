#include "netaddress.h"

#include <gst/gst.h>

#include <QUrlQuery>

namespace {

// Query items that carry secrets in some schemes (srt://host:port?passphrase=...).
bool IsSecretKey(const QString& key)
{
    static const QStringList keys{QStringLiteral("passphrase"), QStringLiteral("password"), QStringLiteral("pass"),
                                  QStringLiteral("pwd"), QStringLiteral("user-pw")};
    return keys.contains(key.toLower());
}

QStringList SecretValues(const QUrl& url)
{
    QStringList values;
    if (!url.password().isEmpty())
        values << url.password(QUrl::FullyEncoded) << url.password(QUrl::FullyDecoded);
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (IsSecretKey(key) && !value.isEmpty())
            values << value << QString::fromLatin1(QUrl::toPercentEncoding(value));
    }
    return values;
}

}  // namespace

QString DisplayAddress(const QString& address)
{
    const QUrl url(address);
    if (!url.isValid())
        return QStringLiteral("(an address that is not valid)");
    QUrl shown = url.adjusted(QUrl::RemoveUserInfo);
    QUrlQuery query(shown);
    for (const auto& [key, value] : query.queryItems()) {
        if (IsSecretKey(key)) {
            query.removeAllQueryItems(key);
            query.addQueryItem(key, QStringLiteral("***"));
        }
    }
    if (!query.isEmpty())
        shown.setQuery(query);
    return shown.toString();
}

QString ScrubAddress(QString text, const QString& address)
{
    const QUrl url(address);
    const QStringList secrets = SecretValues(url);
    if (secrets.isEmpty())
        return text;
    text.replace(address, DisplayAddress(address));
    for (const QString& secret : secrets)
        text.replace(secret, QStringLiteral("***"));
    return text;
}

QString CheckAddressSyntax(const QString& address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (address.trimmed().isEmpty())
        return QStringLiteral("Enter the camera's address");
    if (!url.isValid() || url.scheme().isEmpty())
        return QStringLiteral("\"%1\" is not an address (rtsp://, http://, https://, udp://, srt://...)")
            .arg(DisplayAddress(address));
    if (!gst_uri_protocol_is_supported(GST_URI_SRC, url.scheme().toLatin1().constData()))
        return QStringLiteral("Addresses starting with %1:// cannot be opened here").arg(url.scheme());
    if (url.host().isEmpty() && url.scheme() != QLatin1String("udp"))
        return QStringLiteral("The address %1 names no host").arg(DisplayAddress(address));
    return {};
}

NetAddress SplitAddress(const QString& address)
{
    const QUrl url(address.trimmed());
    NetAddress split;
    split.fullUri = url.toString(QUrl::FullyEncoded);
    split.uri = url.adjusted(QUrl::RemoveUserInfo).toString(QUrl::FullyEncoded);
    split.user = url.userName(QUrl::FullyDecoded);
    split.password = url.password(QUrl::FullyDecoded);
    return split;
}
