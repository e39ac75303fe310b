#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>

/**
 * The virtual radio's log: one line per event, flushed at once so a reader sees it live.
 *
 *   <seconds since start, 6 decimals> <KIND> <text>
 *   12.345678 RX FEFE48E00700FD      a frame received from the line (frame text)
 *   12.345701 TX FEFE48E00700FD      bytes written to the line (echo, answers, tricks)
 *   12.345800 DROP 7 bytes not sent: no client has the line open
 *                                    bytes the line refused, and why
 *   12.400000 CMD freq 7050000       a front-panel command and what it did
 *   12.400000 INFO ...               start, stop, failures
 * Seconds come from a monotonic clock started with the log.
 */
class SimLog {
public:
    SimLog();

    /** Logs to the file (appended), or to standard error for an empty path. */
    bool open(const QString& path, QString* error);

    void write(const QString& kind, const QString& text);

private:
    QElapsedTimer m_clock;
    QFile m_file;
};
