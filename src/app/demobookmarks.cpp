#include "app/demobookmarks.h"

#include "memory/bookmarkfiles.h"
#include "memory/datafreq.h"
#include "memory/memorywriter.h"
#include "memory/views.h"
#include "settings/apppath.h"
#include "settings/inifile.h"

#include <QFileInfo>

#include <span>

namespace {

struct DemoMemory {
    const char* name;
    const char* main;  ///< "MMM.KKK.HHH"
    const char* mode;
    const char* split;  ///< "MMM.KKK.HHH" or empty
    bool scan;
};

struct DemoDatabase {
    const char* caption;
    const char* fileName;
    std::span<const DemoMemory> memories;
};

constexpr DemoMemory kHfMemories[] = {
    {"20 m FT8", "014.074.000", "USB", "", true},
    {"40 m FT8", "007.074.000", "USB", "", true},
    {"80 m FT8", "003.573.000", "USB", "", false},
    {"30 m FT8", "010.136.000", "USB", "", true},
    {"10 m FT8", "028.074.000", "USB", "", false},
    {"6 m FT8", "050.313.000", "USB", "", true},
    {"Time signal 10 MHz", "010.000.000", "AM", "", false},
};

constexpr DemoMemory kVhfMemories[] = {
    {"2 m FM calling", "145.500.000", "FM", "", true},
    {"2 m SSB calling", "144.300.000", "USB", "", true},
    {"2 m repeater R5", "145.625.000", "FM", "145.025.000", true},
    {"Marine channel 16", "156.800.000", "FM", "", false},
    {"FM broadcast", "100.000.000", "WFM", "", false},
};

const DemoDatabase kDatabases[] = {
    {"HF digital and time", "DEMOHF.MDB", kHfMemories},
    {"VHF calling and repeaters", "DEMOVHF.MDB", kVhfMemories},
};

bool fillDatabase(const QString& path, std::span<const DemoMemory> memories, QString* error)
{
    AppError failure;
    for (const DemoMemory& memory : memories) {
        const QString main = QString::fromLatin1(memory.main);
        const NewMemory row{main.mid(0, 3), main.mid(4, 3), main.mid(8, 3),
                            QString::fromLatin1(memory.mode)};
        if (!MemoryWriter::addMemory(path, row, &failure)) {
            *error = failure.text;
            return false;
        }
    }
    // The name, the split and the scan mark go in through the data control, row by row in
    // the order they were added.
    DataFreq data;
    data.setDatabaseName(path);
    data.setRecordSource(viewQuery(ViewOrder::None, false));
    if (!data.refresh(&failure)) {
        *error = failure.text;
        return false;
    }
    for (int row = 0; row < static_cast<int>(memories.size()); ++row) {
        const DemoMemory& memory = memories[row];
        const QString split = QString::fromLatin1(memory.split);
        data.setCell(row, memcol::kName, QString::fromUtf8(memory.name));
        data.setCell(row, memcol::kScan, memory.scan ? QStringLiteral("Y") : QString());
        if (!split.isEmpty()) {
            data.setCell(row, memcol::kSMHz, split.mid(0, 3));
            data.setCell(row, memcol::kSKHz, split.mid(4, 3));
            data.setCell(row, memcol::kSHz, split.mid(8, 3));
            data.setCell(row, memcol::kSplit, true);
        }
    }
    if (!data.writePendingRow(&failure)) {
        *error = failure.text;
        return false;
    }
    return true;
}

}  // namespace

bool prepareDemoBookmarks(const QString& appPath, QString* error)
{
    const QString settings = settingsFilePath(appPath);
    const QString section = QString::fromLatin1(kBookmarksSection);
    if (!ReadINI(settings, section, QStringLiteral("BOOK0"), QString()).isEmpty())
        return true;  // listed before: the operator's databases, left as they are
    const QString templateFile = templatePath(appPath);
    for (int n = 0; n < static_cast<int>(std::size(kDatabases)); ++n) {
        const DemoDatabase& database = kDatabases[n];
        const QString fileName = QString::fromLatin1(database.fileName);
        const QString path = appPath + fileName;
        if (!QFileInfo::exists(path)) {
            AppError failure;
            if (!createFromTemplate(templateFile, path, false, &failure)) {
                *error = failure.text;
                return false;
            }
            if (!fillDatabase(path, database.memories, error))
                return false;
        }
        const QString key = QStringLiteral("BOOK%1").arg(n);
        if (!WriteINI(settings, section, key + QStringLiteral("CAPTION"),
                      QString::fromUtf8(database.caption)) ||
            !WriteINI(settings, section, key, fileName)) {
            *error = QStringLiteral("cannot write the bookmark list to %1").arg(settings);
            return false;
        }
    }
    return true;
}
