#pragma once

#include "common/errorcatalogue.h"

#include <QString>
#include <QStringList>

#include <optional>

/** A memory about to be added: the three frequency parts and the mode, stored without
 *  split; Name, the split parts and Scan are left to the table's defaults. */
struct NewMemory {
    QString mhz;
    QString khz;
    QString hz;
    QString mode;
};

/** Brings the display's frequency text to the 11-character stored form by its length:
 *  8 characters get "000" in front, 9 get "00", 10 get "0"; any other length stays as it
 *  is (".500.000" -> "000.500.000", "14.250.000" -> "014.250.000"). */
QString normaliseDisplayFrequency(const QString& display);

/** The memory that "ADD MEM" under the display stores: the normalised display text cut
 *  into characters 1-3, 5-7 and 9-11, and the mode caption trimmed. An empty display (no
 *  frequency received yet) is refused: nullopt, and refusal says why. */
std::optional<NewMemory> memoryFromDisplay(const QString& display, const QString& modeCaption,
                                           QString* refusal);

/** The memory that "ADD MEM" under the entry pad stores: the nine digit captions joined
 *  three by three, and the mode caption trimmed. An entry with a digit not yet keyed (a
 *  caption that is not one digit) is refused: nullopt, and refusal says why. */
std::optional<NewMemory> memoryFromPad(const QStringList& digitCaptions, const QString& modeCaption,
                                       QString* refusal);

/**
 * The adding connection: a connection of its own to a bookmark database file, opened for
 * one row and closed again, separate from the one DataFreq holds. The caller shows the new
 * row in DataFreq afterwards (DataFreq::showAddedRow with the row's key).
 */
class MemoryWriter {
public:
    /** Appends one row to TabFreq of the file at databasePath (MHz, KHz, Hz, Mode, Split
     *  false); key, when given, receives the new row's rowid. Nothing is stored on failure;
     *  error names the file and the cause. */
    static bool addMemory(const QString& databasePath, const NewMemory& memory, AppError* error,
                          qint64* key = nullptr);
};
