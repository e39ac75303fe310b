#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

/**
 * Reads standard input a line at a time without blocking (a socket notifier on fd 0).
 * At end of input it stops watching and emits finished() once: nothing spins on a closed
 * or empty input, and the program goes on running.
 */
class StdinReader : public QObject {
    Q_OBJECT
public:
    explicit StdinReader(QObject* parent = nullptr);

    /** Starts watching fd 0; false (and nothing watched) when fd 0 is not open. */
    bool start();

signals:
    void lineRead(const QString& line);
    void finished();

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_pending;
};
