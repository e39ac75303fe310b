#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

/**
 * CI-V frame layout and value encodings.
 *
 *   FE FE <to> <from> <cmd> [<sub>] [<data>...] FD
 *
 * Frequencies travel as five packed-BCD bytes, least significant pair first:
 *   145.400.000 Hz = 0145400000 -> 00 00 40 45 01
 */
namespace civ {

constexpr quint8 kPreamble = 0xFE;             ///< bytes 1 and 2 of every frame
constexpr quint8 kEndOfFrame = 0xFD;           ///< last byte of every frame
constexpr quint8 kControllerAddress = 0xE0;    ///< this program's own address
constexpr quint8 kBroadcastAddress = 0x00;     ///< transceive announcements go here
constexpr quint8 kDefaultRadioAddress = 0x48;  ///< 72 decimal, the settings default
constexpr quint8 kOk = 0xFB;                   ///< radio accepted the last command
constexpr quint8 kNg = 0xFA;                   ///< radio refused the last command

// Command codes.
constexpr quint8 kCmdAnnounceFrequency = 0x00;
constexpr quint8 kCmdAnnounceMode = 0x01;
constexpr quint8 kCmdReadFrequency = 0x03;
constexpr quint8 kCmdReadMode = 0x04;
constexpr quint8 kCmdSetFrequency = 0x05;
constexpr quint8 kCmdSetMode = 0x06;
constexpr quint8 kCmdVfo = 0x07;
constexpr quint8 kCmdScan = 0x0E;
constexpr quint8 kCmdSplit = 0x0F;
constexpr quint8 kCmdTuningStep = 0x10;

}  // namespace civ

/** Two decimal digit characters packed into one BCD byte: first character x 16 + last
 *  character. "14" -> 0x14, "0" -> 0, "147" -> 0x17 (the middle is ignored). Any character
 *  other than 0-9, or an empty text, is a conversion failure: std::nullopt. */
std::optional<quint8> Hex2Dec(QStringView numHex);

/** Frame text of the five frequency bytes (10 hex characters, more may follow and are
 *  ignored) to the display text "145.400.000", leading zeros removed. Never fails. */
QString BCD2STRING(QStringView ByteString);

/** One byte as two upper-case hexadecimal characters: 0x05 -> "05", 0x0A -> "0A". */
QString byteText(quint8 value);

/** Frame text: every byte as two upper-case hex characters, concatenated. */
QString frameText(QByteArrayView frame);

/** The radio address as compared by the recogniser: 72 -> "48", 5 -> "05". */
QString addressText(quint8 address);

/** The characters of a frame text from position (counted from 1, as the header layout is
 *  described: 5-6 destination, 7-8 source, 9-10 command), at most length of them, all the
 *  rest for a negative length. A part beyond the end is empty and a part running past the
 *  end is cut there, so a short text never equals a longer key. */
QStringView textPart(QStringView text, qsizetype position, qsizetype length = -1);

/** Mode name -> mode code, for the radio's modes (kRadioProfile: "LSB" 0 ... "WFM" 6);
 *  exact, case-sensitive. */
std::optional<quint8> modeCode(QStringView name);

/** Mode code -> name; empty for a code that is none of the radio's modes. */
QString modeName(quint8 code);
