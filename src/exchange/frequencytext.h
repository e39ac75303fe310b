#pragma once

#include <QString>

#include <optional>

/**
 * Frequencies as decimal text, read and written exactly: no floating point anywhere, so
 * "146.52" MHz is 146 520 000 Hz and never 146 519 999.
 */
namespace frequencytext {

/** Outcome of reading one frequency text. */
struct Parsed {
    std::optional<qint64> hz;  ///< set when the text is a frequency
    QString reason;            ///< why not, when hz is empty
};

/**
 * Reads a non-negative decimal number of units (unitDigits = 6 for MHz, 0 for Hz) to whole
 * hertz: optional blanks around, digits, an optional point and fraction. A fraction finer
 * than 1 Hz, a sign, an exponent or any other character is refused with a reason that
 * names the text.
 */
Parsed parse(QStringView text, int unitDigits);

/** True when the radio in use receives hz (radioprofile::current()): what a memory may hold. */
bool inRange(qint64 hz);

/** "146.520000 MHz": the text used in reasons. */
QString describe(qint64 hz);

/** The reason for a frequency outside the range, naming what it is ("the frequency"). */
QString outOfRange(const QString& what, qint64 hz);

/** Whole MHz with six decimals, "146.520000" (the CHIRP form). */
QString megahertzText(qint64 hz);

/** The three stored parts of a frequency: MHz, KHz and Hz, three digits each. */
struct Parts {
    QString mhz, khz, hz;
};
Parts partsOf(qint64 hz);

/** The frequency of three stored parts, when each is exactly three digits. */
std::optional<qint64> fromParts(QStringView mhz, QStringView khz, QStringView hz);

/** The unit a typed frequency is read in (readTyped). */
enum class TypedUnit { MHz, kHz, Hz };

/** A typed frequency as read: the value when the text is one, and its unit either way. */
struct Typed {
    std::optional<qint64> hz;
    TypedUnit unit = TypedUnit::kHz;
};

/**
 * A frequency as an operator types it: a number with a decimal point or comma is MHz
 * ("14.074", "7,0745"); a whole number of up to six digits is kHz ("14074", "145500"); a
 * longer whole number is Hz ("14074000"). Blanks around it are ignored. A fraction finer
 * than 1 Hz, a second point or any other character reads as no frequency; the unit is the
 * one the text's form names.
 */
Typed readTyped(const QString& text);

/** "MHz", "kHz" or "Hz". */
QString unitName(TypedUnit unit);

}  // namespace frequencytext
