#pragma once

#include "common/errorcatalogue.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

class SerialLink;

/**
 * What the recall reads from the window, and the one thing it changes there. Each input is
 * read at the step that uses it, so a row change served during a pause is followed.
 */
struct RecallSource {
    std::function<bool()> splitFlag;               ///< the grid's Split value in the current row
    std::function<QString()> mainFreq;             ///< caption of MainFreq, "145.500.000"
    std::function<QString()> splitFreq;            ///< caption of SplitFreq
    std::function<QString()> memMode;              ///< caption of MemMode, one of the seven names
    std::function<void(bool)> showSplitIndicator;  ///< shows (true) or hides Lsplit
};

/**
 * The recall (Crecall_Click): sets the radio to the memory shown in the memory panel.
 *
 * Without split (4 frames):  0F 00 | 07 00 | 05 main | 06 mode
 * With split (7 frames):     07 01 | 05 split | 0F 01 | 06 mode | 07 00 | 05 main | 06 mode
 *
 * Every frame is FE FE <radio> E0 ... FD, one write, followed by a pause of 0.2 s during
 * which events run (Delay). The whole memory is checked before the first frame: a main (or,
 * for a split memory, split) frequency that is not 11 characters "MMM.KKK.HHH" of digits,
 * or a mode that is none of the seven names, sends nothing at all, so the radio is never
 * left half-programmed (on VFO B, say). The wait cursor is the caller's.
 */
class Recall {
public:
    enum class Outcome {
        Sent,          ///< the whole sequence was sent
        NothingShown,  ///< MainFreq is empty (no current memory): nothing sent, no error
        Refused,       ///< the memory cannot be sent; error says why; nothing sent
        Failed,        ///< the port refused a write; error says which; the frames before stay sent
        Aborted,       ///< the program is quitting (delaysAborted()): nothing more was sent
    };

    /** Pause after every frame. */
    static constexpr std::chrono::milliseconds kFramePause{200};

    Recall(SerialLink* link, quint8 radioAddress, RecallSource source);

    /** Runs the recall to its end (events keep running during its pauses). error is set
     *  for Refused and Failed; the window shows it in a box titled "Recall". */
    Outcome run(AppError* error);

    /** The check made before the first frame: nullopt when the memory can be sent. */
    std::optional<AppError> checkMemory(bool split) const;

private:
    struct Step;
    std::vector<Step> sequence(bool split) const;
    Outcome send(const Step& step, AppError* error);
    std::optional<QByteArray> frequencyFrame(const QString& text) const;
    std::optional<QByteArray> modeFrame() const;

    SerialLink* m_link;
    quint8 m_radioAddress;
    RecallSource m_source;
};
