#pragma once

#include "common/errorcatalogue.h"
#include "profile/radioprofile.h"
#include "protocol/civ.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class RadioCommands;
class SerialLink;

/** "88 (0x58)": a CI-V address as the operator sets it (decimal) and as the manual lists
 *  it (hexadecimal). */
QString addressCaption(quint8 address);

/**
 * Asks whether a radio answers on a serial line: opens the device at the rate given, sends
 * a frequency read (03) to the address given and waits for the answer; when none comes,
 * asks at the factory addresses of the other native models (kNativeProfiles) in turn. Never waits
 * on the caller's thread: start() returns at once and finished() follows from the event loop, after
 * at most one answer time per address tried. The line is closed again when the check ends.
 */
class RadioCheck : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        QString device;
        int baudRate = 0;
        quint8 asked = 0;                ///< the address the operator gave
        std::optional<quint8> answered;  ///< where a radio answered (FB, FA or its frequency)
        QList<quint8> tried;             ///< every address asked, in order
        AppError error;                  ///< number 0 unless the line failed while asking
    };

    explicit RadioCheck(QObject* parent = nullptr);
    ~RadioCheck() override;

    /** Opens device and asks. False, with the reason, when the device cannot be opened
     *  (then no finished() follows); a running check is cancelled first. */
    bool start(const QString& device, int baudRate, quint8 address, AppError* error);
    bool isRunning() const { return m_running; }
    /** Ends a running check without finished(); the line is closed. */
    void cancel();

    /** What an outcome means, in a sentence or two for the operator. */
    static QString describe(const Outcome& outcome);

signals:
    void finished(const RadioCheck::Outcome& outcome);

private:
    void askNext();
    void finish();

    SerialLink* m_link;
    RadioCommands* m_commands = nullptr;
    Outcome m_outcome;
    QList<quint8> m_toAsk;
    bool m_running = false;
    quint64 m_run = 0;  ///< answers of a cancelled run are not this run's
};
