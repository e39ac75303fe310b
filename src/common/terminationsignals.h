#pragma once

#include <QObject>

class QSocketNotifier;

/**
 * Turns the system's requests to end the program - SIGTERM (shutdown, logout, kill),
 * SIGHUP (the terminal or session went away) and SIGINT (Ctrl+C) - into the Qt signal
 * endRequested, delivered on the event loop: the handler only writes the signal's number
 * into a pipe, whose reading end a QSocketNotifier watches. The receiver ends the program
 * the way QUIT does, so nothing pending is lost.
 *
 * A second such signal after the first has been delivered ends the process at once, the
 * system's default, so a program that cannot finish ending is never left unkillable by
 * its own handler. One instance per process; the dispositions are restored when it goes.
 */
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    /** Installs the handlers. False with error (the system's words) when it cannot. */
    bool start(QString* error);

signals:
    void endRequested(int signalNumber);

private:
    void onPipeReadable();

    QSocketNotifier* m_notifier = nullptr;
};
