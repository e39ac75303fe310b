#pragma once

#include <QObject>

class QSocketNotifier;

/**
 * Turns SIGTERM and SIGINT into a Qt signal through a self-pipe, so the program leaves its
 * event loop and cleans up (the device symlink) instead of dying where it stands.
 * One instance per process.
 */
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

    bool start(QString* error);

signals:
    void terminateRequested(int signalNumber);

private:
    void onPipeReadable();

    QSocketNotifier* m_notifier = nullptr;
};
