#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

/**
 * Encodings the virtual radio needs beyond the controller's frame builders: frequencies as
 * whole numbers of hertz, mode answers, and the numbers and hexadecimal texts typed at its
 * front panel or given on its command line.
 */
namespace simcodec {

/** Highest frequency five BCD bytes can carry: ten decimal digits. */
constexpr quint64 kMaxBcdFrequency = 9'999'999'999ULL;

/** Five packed-BCD bytes, least significant pair first: 145400000 -> 00 00 40 45 01.
 *  Values above kMaxBcdFrequency keep only their lowest ten digits. */
QByteArray frequencyBytes(quint64 hz);

/** The two data bytes of a mode frame: mode code, filter. */
QByteArray modeBytes(quint8 mode, quint8 filter);

/** The inverse of frequencyBytes(): exactly five bytes, every nibble 0-9, or nullopt. */
std::optional<quint64> frequencyFromBytes(QByteArrayView bytes);

/** Text of hexadecimal bytes, spaces allowed between bytes ("FE FE 00 48" or "FEFE0048"),
 *  to bytes. nullopt for an empty text, an odd digit count or a non-hex character. */
std::optional<QByteArray> bytesFromHexText(QStringView text);

/** A whole number in decimal ("72") or hexadecimal with 0x in front ("0x48"); no sign. */
std::optional<quint64> parseNumber(const QString& text);

}  // namespace simcodec
