#pragma once

#include <QString>

class VirtualRadio;

/**
 * The virtual radio's front panel: one text command a line, as typed on corvane-sim's
 * standard input.
 *
 *   freq HZ            set the frequency of the current VFO (decimal hertz) and announce it
 *   mode NAME|CODE     set the mode (LSB USB AM CW RTTY FM WFM, or a code: 5, 0x05) and
 *                      announce it
 *   vfo a|b            switch VFO and announce its frequency and mode
 *   raw HEX BYTES      send bytes as they are, one write ("raw FE FE 00 48 01 03 FD")
 *   garbage N          send N random bytes, none of them FD
 *   double             send the frequency and mode announcements in one write
 *   cut                send the first half of a frequency announcement, no FD
 *   silent on|off      stop (or resume) echo, answers and announcements
 *   transceive on|off  announce (or not) the radio's own changes to address 00
 *   state              report the radio's state in the result message
 *   quit               end the program
 * Words are separated by blanks; command words are not case-sensitive.
 *
 * The answer tells what reached the line: a line trick whose bytes the line did not take
 * (no client has it open, more than its queue has room for, the radio is silent) is
 * refused with "... not sent: <why>"; a change of state holds and says "; not announced:
 * <why>" when its announcement did not go out.
 */
class FrontPanel {
public:
    struct Result {
        bool ok = false;
        bool quit = false;
        QString message;  ///< what was done, or why the command was refused
    };

    explicit FrontPanel(VirtualRadio* radio) : m_radio(radio) {}

    Result execute(const QString& line);

    /** The whole radio on one line; each VFO as frequency/mode/filter:
     *  "vfo=A a=145400000/5/1 b=7050000/0/1 split=0 scan=0 step=0 silent=0 transceive=1". */
    QString stateText() const;

private:
    Result frequency(const QString& argument);
    Result mode(const QString& argument);
    Result vfo(const QString& argument);
    Result raw(const QString& argument);
    Result garbage(const QString& argument);
    Result silent(const QString& argument);
    Result transceive(const QString& argument);

    VirtualRadio* m_radio;
};
