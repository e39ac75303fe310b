#pragma once

#include <QString>

#include <optional>

/** The file formats of memory import and export. */
enum class MemoryFormat {
    Chirp,   ///< CHIRP generic CSV: a header row, columns found by name, MHz
    Gqrx,    ///< gqrx bookmarks.csv: tag table, then "freq ; name ; modulation ; ..." in Hz
    OwnCsv,  ///< Corvane's own CSV: the ten TabFreq fields by name, in their stored forms
};

/** "chirp", "gqrx", "csv": the names the command line takes. */
QString formatKey(MemoryFormat format);
std::optional<MemoryFormat> formatFromKey(const QString& key);
/** "CHIRP CSV", "gqrx bookmarks", "Corvane CSV": the names shown to the operator. */
QString formatTitle(MemoryFormat format);

/** What the first lines of a file say about its format. */
struct FormatGuess {
    std::optional<MemoryFormat> format;  ///< empty: not a memory list this program knows
    bool gqrxCommaForm = false;          ///< gqrx before tags: "freq, name, modulation, bw"
};

/** Guesses from the first meaningful lines of the text (already decoded). */
FormatGuess guessFormat(const QStringList& firstLines);
