#pragma once

#include "hamlib/hamlibtypes.h"
#include "radio/radiocommands.h"
#include "settings/radiochoice.h"

#include <QObject>
#include <QString>

#include <optional>

class HamlibRadio;

/** What HamlibRadio opens for a Hamlib or remote choice: the model on its device at its
 *  rate, or kHamlibRemoteModel at the rigctld's "host:port". */
HamlibTarget hamlibTargetOf(const RadioChoice& choice);

/**
 * Asks whether a radio answers through Hamlib: opens a HamlibRadio on the target (a model
 * on a serial device, or a rigctld's "host:port") and reads its frequency once. Never waits
 * on the caller's thread: start() returns at once and finished() follows from the event
 * loop, after at most Hamlib's open and one answer time. The radio is closed again when the
 * check ends.
 */
class HamlibCheck : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        HamlibTarget target;
        bool answered = false;
        QString text;  ///< for the operator: "IC-706MkIIG answers: 14.074.000", or why not
    };

    explicit HamlibCheck(QObject* parent = nullptr);
    /** A check still under way is abandoned without waiting for it: its radio is closed
     *  and lives on, idle, until the program ends. */
    ~HamlibCheck() override;

    /** Starts a check of target; a running check is cancelled first. */
    void start(const HamlibTarget& target);
    bool isRunning() const { return m_running; }
    /** Ends a running check without finished(). */
    void cancel();

    /** "14.074.000": hz in groups of three digits, as the window's display shows it. */
    static QString frequencyText(quint64 hz);

signals:
    void finished(const HamlibCheck::Outcome& outcome);

private:
    using Answer = RadioCommands::Answer;

    void onOpened(const HamlibCapabilities& capabilities);
    void onRead(Answer answer);
    void finish(bool answered, const QString& text);
    QString radioName() const;

    HamlibRadio* m_radio;
    HamlibTarget m_target;
    QString m_modelName;
    std::optional<quint64> m_heardHz;
    bool m_running = false;
    quint64 m_run = 0;  ///< answers of a cancelled run are not this run's
};
