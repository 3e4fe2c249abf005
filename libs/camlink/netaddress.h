// Addresses of network cameras: what may be shown of them, and keeping their credentials out of
// every text that leaves the library (logs, messages, captions).
#pragma once

#include <QString>
#include <QUrl>

// The address without its user name and password ("rtsp://cam.local:554/live").
QString DisplayAddress(const QString& address);
// text with the address's password (as typed and percent-encoded) replaced by "***" and the full
// address by its display form. Used on every GStreamer message about a network channel.
QString ScrubAddress(QString text, const QString& address);
// Empty when GStreamer can open address as a stream (a scheme with a source element, a host);
// else why not, in words.
QString CheckAddressSyntax(const QString& address);

// An address split for GStreamer: the URI without credentials, and the credentials, which are
// handed to the source element's user-id and user-pw properties where it has them.
struct NetAddress {
    QString uri;       // what GStreamer is given when the source takes credentials separately
    QString fullUri;   // the address as the user typed it, for sources without such properties
    QString user;
    QString password;
};
NetAddress SplitAddress(const QString& address);
