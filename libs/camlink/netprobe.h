// Checking a network camera's address before it becomes a channel: the address is opened as a
// channel would open it, and the first decoded video frame, an error or the time limit decides.
#pragma once

#include "netoutcome.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

// User-interface thread only. GStreamer's threads report to it through queued calls; finished is
// emitted on the user-interface thread exactly once per Start (not after Cancel or destruction).
// The pipeline is torn down before finished is emitted and in the destructor, which joins its
// streaming threads, so no call reaches a destroyed probe.
class QTcpSocket;
using GstElement = struct _GstElement;

// For addresses over TCP (RTSP, HTTP) a plain connection to the host and port comes first: it tells
// an unknown host and a refused port apart, which GStreamer's sources report alike.
class CNetProbe : public QObject {
    Q_OBJECT
public:
    explicit CNetProbe(QObject* parent = nullptr);
    ~CNetProbe() override;

    // Starts checking address (a running check is cancelled first). timeoutMs: how long to wait
    // for the first frame; past it the address counts as unreachable.
    void Start(const QString& address, int timeoutMs = 10000);
    void Cancel();
    bool IsRunning() const { return m_running; }

    struct Relay;  // what GStreamer's threads share with the probe

Q_SIGNALS:
    // outcome Video: the address gives video; otherwise message says why not, without credentials.
    void finished(NetOutcome outcome, const QString& message);

private:
    void Finish(NetOutcome outcome, const QString& detail);
    void TearDown();
    void StartPipeline();
    void OnSocketError();

    QString m_address;
    bool m_running = false;
    QTcpSocket* m_socket = nullptr;  // owned (child) while the connection is tried
    GstElement* m_pipeline = nullptr;
    std::shared_ptr<Relay> m_relay;
    quint64 m_generation = 0;  // of the check under way; bumped by Start
    QTimer m_timer;
};
