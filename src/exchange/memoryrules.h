#pragma once

#include <QString>
#include <QVariant>

#include <array>
#include <optional>

/** One row of TabFreq as stored, the ten fields in grid column order (memcol); a null
 *  QVariant is NULL. Text fields hold QString, Split the stored integer. */
using StoredRow = std::array<QVariant, 10>;

/**
 * The rules every memory that comes in or goes out through import and export keeps, the
 * same that the grid's cell rules and the recall rely on:
 * - MHz, KHz, Hz: three digits each, 30 kHz to 199.999999 MHz together;
 * - Mode: one of the seven names the radio knows (LSB, USB, AM, CW, RTTY, FM, WFM);
 * - sMHz, sKHz, sHz: all three empty (or null), or all three filled like the main parts
 *   and in the same range;
 * - Split: 1 exactly when the three split parts are filled, else 0 (the grid's derived flag);
 * - Scan: "Y", empty or null;
 * - Name: null or text of at most nameLimit characters (0: no limit).
 */
namespace memoryrules {

/** The first rule the row breaks, as a sentence; nullopt when it keeps them all. */
std::optional<QString> ruleBreak(const StoredRow& row, int nameLimit);

/** The reason for a name longer than the column allows, or nullopt. */
std::optional<QString> nameTooLong(const QString& name, int nameLimit);

/** Builds a row in the stored forms: no name -> null, no split -> null parts and Split 0,
 *  scan mark -> "Y" else null (an unmarked memory, as ADD MEM leaves it). */
StoredRow makeRow(const QString& name, qint64 hz, const QString& mode,
                  std::optional<qint64> splitHz, bool scanMarked);

/** The main and split frequencies of a row that keeps the rules. */
qint64 mainHz(const StoredRow& row);
std::optional<qint64> splitHz(const StoredRow& row);

/** The text a field shows in the grid: null as empty, Split as "True"/"False". */
QString cellText(const StoredRow& row, int column);

/** The seven mode names, "LSB, USB, AM, CW, RTTY, FM, WFM", for reasons. */
QString modeList();

}  // namespace memoryrules
