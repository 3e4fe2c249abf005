#include "netservers.h"

#include <QBuffer>
#include <QImage>
#include <QTcpSocket>
#include <QUrl>

#ifdef KESTIVO_HAVE_RTSP_SERVER
#include <gst/rtsp-server/rtsp-server.h>

#include <thread>
#endif

struct RtspTestServer::Impl {
#ifdef KESTIVO_HAVE_RTSP_SERVER
    GMainContext* context = nullptr;
    GMainLoop* loop = nullptr;
    GstRTSPServer* server = nullptr;
    std::thread thread;
#endif
    int port = 0;
};

RtspTestServer::RtspTestServer() : d(std::make_unique<Impl>())
{
#ifdef KESTIVO_HAVE_RTSP_SERVER
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    d->context = g_main_context_new();
    d->loop = g_main_loop_new(d->context, FALSE);
    d->server = gst_rtsp_server_new();
    g_object_set(d->server, "address", "127.0.0.1", "service", "0", nullptr);
    GstRTSPMediaFactory* factory = gst_rtsp_media_factory_new();
    gst_rtsp_media_factory_set_launch(factory, "( videotestsrc is-live=true pattern=ball ! video/x-raw,format=I420,"
                                               "width=320,height=240,framerate=10/1 ! jpegenc ! rtpjpegpay name=pay0 pt=96 )");
    gst_rtsp_media_factory_set_shared(factory, TRUE);
    GstRTSPMountPoints* mounts = gst_rtsp_server_get_mount_points(d->server);
    gst_rtsp_mount_points_add_factory(mounts, "/cam", factory);
    g_object_unref(mounts);
    if (gst_rtsp_server_attach(d->server, d->context) == 0)
        return;
    d->port = gst_rtsp_server_get_bound_port(d->server);
    d->thread = std::thread([loop = d->loop] { g_main_loop_run(loop); });
#endif
}

RtspTestServer::~RtspTestServer()
{
#ifdef KESTIVO_HAVE_RTSP_SERVER
    if (d->thread.joinable()) {
        g_main_loop_quit(d->loop);
        d->thread.join();
    }
    g_object_unref(d->server);
    g_main_loop_unref(d->loop);
    g_main_context_unref(d->context);
#endif
}

bool RtspTestServer::Available() const
{
    return d->port > 0;
}

QString RtspTestServer::Url(const QString& path) const
{
    return d->port > 0 ? QStringLiteral("rtsp://127.0.0.1:%1%2").arg(d->port).arg(path) : QString();
}

MjpegTestServer::MjpegTestServer(QColor colour)
{
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(colour);
    QBuffer buffer(&m_jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    connect(&m_server, &QTcpServer::newConnection, this, &MjpegTestServer::OnConnection);
    connect(&m_timer, &QTimer::timeout, this, &MjpegTestServer::SendFrames);
    m_timer.start(100);
}

MjpegTestServer::~MjpegTestServer()
{
    Stop();
}

bool MjpegTestServer::Listen(quint16 port)
{
    if (!m_server.listen(QHostAddress::LocalHost, port))
        return false;
    m_port = m_server.serverPort();
    return true;
}

void MjpegTestServer::Stop()
{
    m_server.close();
    for (const QPointer<QTcpSocket>& socket : std::as_const(m_streams)) {
        if (socket)
            socket->abort();
    }
    m_streams.clear();
    for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>())
        socket->abort();
}

QString MjpegTestServer::Url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

void MjpegTestServer::RequireCredentials(const QString& user, const QString& password)
{
    m_expectedAuth = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
}

void MjpegTestServer::OnConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void MjpegTestServer::OnRequest(QTcpSocket* socket)
{
    if (socket->property("answered").toBool())
        return;
    const QByteArray request = socket->peek(65536);
    if (!request.contains("\r\n\r\n"))
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> lines = request.split('\n');
    const QByteArray path = lines.value(0).split(' ').value(1);
    QByteArray auth;
    for (const QByteArray& line : lines) {
        if (line.toLower().startsWith("authorization:"))
            auth = line.mid(14).trimmed();
    }
    auto answer = [socket](const QByteArray& status, const QByteArray& headers, const QByteArray& body) {
        socket->write("HTTP/1.1 " + status + "\r\n" + headers + "Content-Length: " + QByteArray::number(body.size())
                      + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    };
    if (m_unauthorised || (!m_expectedAuth.isEmpty() && auth != m_expectedAuth)) {
        answer("401 Unauthorized", "WWW-Authenticate: Basic realm=\"cam\"\r\n", "no");
    } else if (path == "/text") {
        answer("200 OK", "Content-Type: text/html\r\n", "<html><body>" + QByteArray(2000, 'x') + "</body></html>");
    } else if (path != "/cam") {
        answer("404 Not Found", "Content-Type: text/plain\r\n", "nothing here");
    } else {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: multipart/x-mixed-replace; boundary=frame\r\n"
                      "Cache-Control: no-cache\r\nConnection: close\r\n\r\n");
        m_streams.append(socket);
    }
}

void MjpegTestServer::SendFrames()
{
    for (const QPointer<QTcpSocket>& socket : std::as_const(m_streams)) {
        if (!socket || socket->state() != QAbstractSocket::ConnectedState)
            continue;
        socket->write("--frame\r\nContent-Type: image/jpeg\r\nContent-Length: " + QByteArray::number(m_jpeg.size())
                      + "\r\n\r\n" + m_jpeg + "\r\n");
        ++m_framesSent;
    }
}
