#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QtGlobal>

#include <optional>

/**
 * The text protocol of Hamlib's rigctld (as Hamlib 4.5 speaks it), pure: lines in,
 * requests out; replies in, bytes out. No sockets, no radio.
 *
 * A request line holds one or more commands separated by blanks, each followed by its
 * arguments on the same line; the line ends in LF (a CR before it is a blank):
 *
 *   f                      short name: one character
 *   \get_freq              long name: backslash and the name
 *   F 14074000.000000      arguments follow the command
 *   +f   ;f   |f   ,f      extended response form: the prefix picks the separator
 *                          ('+' = LF, otherwise the character itself)
 *
 * Replies, plain form (what Hamlib's NET rigctl backend reads):
 *   a read:     each value on its own line          "14074000\n"
 *   a set:      "RPRT <code>\n"                     "RPRT 0\n"
 *   an error:   "RPRT <code>\n" for reads too       "RPRT -11\n"
 * Extended form, separator s:
 *   "<long name>:[ <arguments>]" s ["<label>: <value>" s ...] "RPRT <code>\n"
 *
 * An unknown command takes the rest of its line and answers "RPRT -4". A command whose
 * arguments are missing answers "RPRT -1"; arguments never continue on the next line.
 */
namespace rigctl {

/** Hamlib's result codes, as sent after "RPRT" (negated). */
enum class Code : int {
    Ok = 0,
    InvalidArgument = -1,  ///< RIG_EINVAL
    NotImplemented = -4,   ///< RIG_ENIMPL: unknown command
    Timeout = -5,          ///< RIG_ETIMEOUT: the radio did not answer
    IoError = -6,          ///< RIG_EIO: the port is closed or the write failed
    Protocol = -8,         ///< RIG_EPROTO: the radio answered but the value is still unknown
    Rejected = -9,         ///< RIG_ERJCTED: the radio answered FA
    NotAvailable = -11,    ///< RIG_ENAVAIL: this radio cannot do it (PTT)
};

enum class Command {
    GetFreq,
    SetFreq,
    GetMode,
    SetMode,
    GetVfo,
    SetVfo,
    GetSplitVfo,
    SetSplitVfo,
    GetSplitFreq,
    SetSplitFreq,
    GetSplitMode,
    SetSplitMode,
    GetPtt,
    SetPtt,
    ChkVfo,
    DumpState,
    GetPowerstat,
    GetLockMode,
    DumpCaps,
    Quit,
};

/** One row of the command table. */
struct CommandEntry {
    Command command;
    char shortName;        ///< 0 when the command has only a long name
    const char* longName;  ///< without the backslash
    int argumentCount;
    const char* labels[2];        ///< extended-form labels of the values (nullptr: printed bare)
    bool plainReportAfterValues;  ///< the plain form still ends in "RPRT 0" (as rigctld)
};

/** The command table; nullptr when the name is unknown. */
const CommandEntry* findShort(char name);
const CommandEntry* findLong(QByteArrayView name);

/** One command of a line: entry nullptr for an unknown one. */
struct Request {
    const CommandEntry* entry = nullptr;
    QList<QByteArray> arguments;
    char separator = 0;  ///< 0: plain form; else the extended form's separator
    bool missingArguments = false;
};

/** The commands of one line (without its LF). */
QList<Request> parseLine(QByteArrayView line);

/** What a command produced: the code and, for a read that succeeded, its values. */
struct Reply {
    Code code = Code::Ok;
    QList<QByteArray> values;
};

/** The bytes sent back for request and reply. */
QByteArray formatReply(const Request& request, const Reply& reply);

/** Mode names: the radio's seven, and Hamlib's data modes mapped onto the sideband or FM
 *  the radio uses for them (PKTLSB -> LSB, PKTUSB -> USB, PKTFM -> FM). Any other name
 *  (CWR, RTTYR, AMS, ...) is std::nullopt. */
std::optional<quint8> modeCodeFromName(QByteArrayView name);
/** The radio's name of the mode code ("LSB" .. "WFM"); empty for none of its modes. */
QByteArray modeName(quint8 code);
/** The passband a read of the mode reports, Hz: the radio's normal filter for the mode. */
int normalPassbandHz(quint8 code);

/** VFO names: VFOA / Main -> A, VFOB / Sub -> B, currVFO / VFO -> the current one. */
enum class VfoName { A, B, Current };
std::optional<VfoName> vfoFromName(QByteArrayView name);

/** A frequency argument ("14074000", "14074000.000000") rounded to Hz; std::nullopt for
 *  anything that is not a finite non-negative number. */
std::optional<quint64> frequencyFromText(QByteArrayView text);

}  // namespace rigctl
