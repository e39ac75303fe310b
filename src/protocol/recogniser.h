#pragma once

#include <QString>
#include <QStringView>

/** What one received frame changes on the live radio display. */
struct DisplayUpdate {
    enum class Target {
        None,       ///< the frame changes nothing
        Frequency,  ///< the frequency shown: text is the display text "145.400.000"
        Mode,       ///< the mode shown: text is a mode name
        Status      ///< the status text: "VFO A", "VFO B", "A = B", "A/B", "OK", "ERROR"
    };
    Target target = Target::None;
    QString text;

    bool operator==(const DisplayUpdate&) const = default;
};

/** The recogniser: frame text in (upper-case hex, preamble through FD), display change
 *  out. Pure; keeps no state. Malformed input matches nothing. */
DisplayUpdate RiconosciComando(QStringView comando, quint8 radioAddress);
