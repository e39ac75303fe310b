#pragma once

#include "exchange/csvreader.h"
#include "exchange/memoryformat.h"
#include "exchange/memoryrules.h"

#include <memory>

/** What one record of an import file is. */
struct MappedRecord {
    enum class Kind {
        Skip,     ///< blank, comment, header or gqrx tag line
        Memory,   ///< a memory: row holds it in the stored forms
        Refused,  ///< a memory that cannot be taken: reason says why
        Fatal,    ///< the file is not of this format (wrong header): reason says why
    };
    Kind kind = Kind::Skip;
    StoredRow row;
    QString reason;
    QString remark;  ///< a memory taken with something of it lost (a tone, duplex off)
};

/**
 * Turns the records of one format into rows of TabFreq. Each format's mapping is here and
 * nowhere else; the rules every row keeps afterwards are memoryrules::ruleBreak, which the
 * import applies to every mapped row whatever its format.
 */
class RowMapper {
public:
    virtual ~RowMapper() = default;
    virtual MappedRecord map(const CsvRecord& record) = 0;
};

/** The mapper of a format; gqrxCommaForm selects gqrx's older comma-separated form;
 *  defaultMode (one of the radio's modes, or empty) is taken for gqrx's "Unknown". */
std::unique_ptr<RowMapper> makeRowMapper(MemoryFormat format, bool gqrxCommaForm,
                                         const QString& defaultMode = QString());

/** The field separator of a format. */
QChar separatorOf(MemoryFormat format, bool gqrxCommaForm);

/** The mode of the radio for a CHIRP mode ("NFM" -> "FM"), nullopt for one it has not. */
std::optional<QString> modeForChirp(const QString& chirpMode);
/** The mode of the radio for a gqrx modulation ("Narrow FM" -> "FM"), or nullopt. */
std::optional<QString> modeForGqrx(const QString& modulation);
