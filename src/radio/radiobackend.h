#pragma once

#include "common/errorcatalogue.h"
#include "radio/radioabilities.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"

#include <QObject>
#include <QString>

#include <optional>

struct RadioProfile;

/** What a backend's radio told: a poll, a read or a set it confirmed (only those fields). */
struct RadioHeard {
    std::optional<quint64> frequencyHz;
    std::optional<quint8> modeCode;
    std::optional<RadioState::VfoSelected> vfo;
    std::optional<bool> split;
};

/**
 * A way to reach a radio other than the program's own CI-V line: the radio model
 * (RadioCommands) hands it what each command sets, as an action and a value, and takes what
 * the radio tells back as confirmed state. The window, the recall, the scans and the network
 * talk to RadioCommands alone and never know which way the radio is reached.
 *
 * Nothing here may block the calling thread: open() and request() return at once; what
 * comes back arrives as signals and completions from the event loop, with the answers of
 * RadioCommands (Ok, Rejected, Timeout, WriteFailed).
 */
class RadioBackend : public QObject {
    Q_OBJECT
public:
    using Action = RadioCommands::Action;
    using Completion = RadioCommands::Completion;
    using Result = RadioCommands::Result;

    using QObject::QObject;

    /** Opens the radio (closing what was open): opened() or openFailed() tells how it went;
     *  requests made meanwhile wait for the radio. */
    virtual void open() = 0;
    /** Closes it; requests not yet answered end with WriteFailed. */
    virtual void close() = 0;
    /** Where the radio is, as the window names it: "/dev/ttyUSB0", "shack:4532". */
    virtual QString place() const = 0;
    /** The radio's name once opened ("IC-706MkIIG"); empty before. */
    virtual QString radioName() const = 0;
    /** What the opened radio can do. */
    virtual RadioAbilities abilities() const = 0;
    /** The opened radio's profile (it lives as long as the program); nullptr before. */
    virtual const RadioProfile* profile() const = 0;
    /** Carries out one action (value as RadioCommands::Step::value says); std::nullopt
     *  when queued, the error otherwise (8012 while closed). */
    virtual Result request(Action action, quint64 value, Completion done) = 0;

signals:
    void opened();
    void openFailed(const AppError& error);
    void heard(const RadioHeard& heard);
    void answeringChanged(bool answering);
    /** One line of the backend's own trace, for the frame log. */
    void debugLine(const QString& text);
};
