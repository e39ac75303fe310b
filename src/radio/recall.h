#pragma once

#include "common/errorcatalogue.h"

#include <QString>

#include <chrono>
#include <optional>

class RadioCommands;

/** One memory as a value: what the recall sends and the memory panel shows. Taken from
 *  the data control's current record; nothing is read back from the panel. */
struct MemorySnapshot {
    QString name;
    QString mainFreq;  ///< "145.500.000": MHz, KHz and Hz joined by points
    bool split = false;
    QString splitFreq;  ///< likewise from sMHz, sKHz, sHz; empty without split
    QString mode;       ///< one of the seven names, as stored

    bool operator==(const MemorySnapshot&) const = default;
};

/**
 * The recall: sets the radio to one memory, a copy taken when the recall starts, so a row
 * change or the bookmark scan moving on during the recall changes nothing of what is sent.
 *
 * Without split (4 frames):  0F 00 | 07 00 | 05 main | 06 mode
 * With split (7 frames):     07 01 | 05 split | 0F 01 | 06 mode | 07 00 | 05 main | 06 mode
 *
 * The frames go through RadioCommands::runSequence, 0.2 s apart, events running in each
 * pause. The whole memory is checked before the first frame: a main (or, for a split
 * memory, split) frequency that is not 11 characters "MMM.KKK.HHH" of digits, or a mode
 * that is none of the seven names, sends nothing at all, so the radio is never left
 * half-programmed (on VFO B, say). The wait cursor is the caller's.
 */
class Recall {
public:
    enum class Outcome {
        Sent,          ///< the whole sequence was sent
        NothingShown,  ///< no current memory (main frequency empty): nothing sent, no error
        Refused,       ///< the memory cannot be sent, or another sequence is being sent;
                       ///< error says why; nothing sent
        Failed,        ///< a write failed; error says which; the frames before stay sent
        Aborted,       ///< the program is quitting (delaysAborted()): nothing more was sent
    };

    /** Pause after every frame. */
    static constexpr std::chrono::milliseconds kFramePause{200};

    Recall(RadioCommands* commands, MemorySnapshot memory);

    /** Runs the recall to its end. error is set for Refused and Failed; the window shows
     *  it in a box titled "Recall". */
    Outcome run(AppError* error);

    /** The check made before the first frame: std::nullopt when the memory can be sent. */
    std::optional<AppError> checkMemory() const;

private:
    RadioCommands* m_commands;
    MemorySnapshot m_memory;
};
