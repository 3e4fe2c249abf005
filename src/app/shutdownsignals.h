// Turns SIGTERM, SIGINT and SIGHUP into an orderly quit, so that the settings are saved.
#pragma once

#include <QObject>

class QSocketNotifier;

// One per process, made on the user-interface thread. The handler only writes the signal number
// to a socket pair; the notifier delivers it on the user-interface thread.
class CShutdownSignals : public QObject {
    Q_OBJECT
public:
    explicit CShutdownSignals(QObject* parent = nullptr);
    ~CShutdownSignals() override;

    // True once one of the signals arrived.
    bool Received() const { return m_received != 0; }

Q_SIGNALS:
    void shutdownRequested(int signalNumber);

private:
    void OnReadable();

    QSocketNotifier* m_notifier = nullptr;
    int m_received = 0;
};
