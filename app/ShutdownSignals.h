#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a signal on the UI thread, so the program can
// close its window the normal way (and save its settings) instead of dying.
// Until an object exists the signals keep their default effect; when it is
// destroyed the default is restored. One at a time per process.
class CShutdownSignals : public QObject {
    Q_OBJECT
public:
    explicit CShutdownSignals(QObject* parent = nullptr);
    ~CShutdownSignals() override;

signals:
    void ShutdownRequested(int signalNumber);

private:
    void OnReadable();

    QSocketNotifier* m_pNotifier = nullptr;
};
