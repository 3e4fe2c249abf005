// Local stand-ins for network cameras: an RTSP server (GStreamer's) and an HTTP MJPEG server
// (QTcpServer), both on 127.0.0.1.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <memory>

class QTcpSocket;

// Serves "/cam": a live 320 x 240 JPEG stream over RTP. Runs its own GLib main loop on a thread
// of its own; Url() is empty when the RTSP server library is not installed.
class RtspTestServer {
public:
    RtspTestServer();
    ~RtspTestServer();
    QString Url(const QString& path = QStringLiteral("/cam")) const;
    bool Available() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Serves a multipart/x-mixed-replace JPEG stream of one colour at "/cam", ten frames a second,
// on the user-interface thread; "/text" is an HTML page, other paths 404. With credentials set,
// requests without them get 401; with unauthorised set, every request does.
class MjpegTestServer : public QObject {
    Q_OBJECT
public:
    explicit MjpegTestServer(QColor colour = Qt::green);
    ~MjpegTestServer() override;
    // port 0: any free one. False when it cannot listen.
    bool Listen(quint16 port = 0);
    // Closes the listening socket and every connection, as a camera switched off.
    void Stop();
    quint16 Port() const { return m_port; }
    QString Url(const QString& path = QStringLiteral("/cam")) const;
    void RequireCredentials(const QString& user, const QString& password);
    void SetUnauthorised(bool unauthorised) { m_unauthorised = unauthorised; }
    int FramesSent() const { return m_framesSent; }

private:
    void OnConnection();
    void OnRequest(QTcpSocket* socket);
    void SendFrames();

    QTcpServer m_server;
    quint16 m_port = 0;
    QByteArray m_jpeg;
    QByteArray m_expectedAuth;
    bool m_unauthorised = false;
    QList<QPointer<QTcpSocket>> m_streams;
    QTimer m_timer;
    int m_framesSent = 0;
};
