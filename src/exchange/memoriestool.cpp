#include "exchange/memoriestool.h"

#include "exchange/memoryexport.h"
#include "exchange/memoryimport.h"
#include "exchange/memoryrules.h"
#include "memory/datafreq.h"

#include <QHash>
#include <QTextStream>

namespace memoriestool {

namespace {

/** The command line taken apart: the command, its file arguments and the options. */
struct CommandLine {
    QString command;
    QStringList files;
    QHash<QString, QString> values;  // --format, --order
    bool skipBad = false;
    bool help = false;
    QString error;
};

CommandLine parse(const QStringList& arguments)
{
    CommandLine line;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            line.help = true;
        } else if (arg == QLatin1String("--skip-bad")) {
            line.skipBad = true;
        } else if (arg == QLatin1String("--format") || arg == QLatin1String("--order")) {
            if (i + 1 >= arguments.size())
                line.error = arg + QStringLiteral(" needs a value");
            else
                line.values.insert(arg.mid(2), arguments.at(++i));
        } else if (arg.startsWith(QLatin1String("--format=")) ||
                   arg.startsWith(QLatin1String("--order="))) {
            const qsizetype eq = arg.indexOf(QLatin1Char('='));
            line.values.insert(arg.mid(2, eq - 2), arg.mid(eq + 1));
        } else if (arg.startsWith(QLatin1String("--"))) {
            line.error = QStringLiteral("unknown option ") + arg;
        } else if (line.command.isEmpty()) {
            line.command = arg;
        } else {
            line.files.append(arg);
        }
    }
    return line;
}

/** Draws "what done/total" over the last progress line on a terminal. */
class ProgressLine {
public:
    ProgressLine(QTextStream& err, bool enabled, const QString& what)
        : m_err(err), m_enabled(enabled), m_what(what)
    {
    }
    void show(qint64 done, qint64 total)
    {
        if (!m_enabled)
            return;
        m_err << '\r' << m_what << ' ' << done << " / " << total << Qt::flush;
        m_shown = true;
    }
    void clear()
    {
        if (m_shown)
            m_err << "\r\033[K" << Qt::flush;
        m_shown = false;
    }

private:
    QTextStream& m_err;
    bool m_enabled;
    QString m_what;
    bool m_shown = false;
};

std::optional<ViewOrder> orderOf(const CommandLine& line, QString* error)
{
    const QString key = line.values.value(QStringLiteral("order"), QStringLiteral("name"));
    if (key == QLatin1String("none"))
        return ViewOrder::None;
    if (key == QLatin1String("name"))
        return ViewOrder::ByName;
    if (key == QLatin1String("freq"))
        return ViewOrder::ByFrequency;
    *error = QStringLiteral("--order takes none, name or freq, not \"%1\"").arg(key);
    return std::nullopt;
}

ExchangeCallbacks callbacksFor(QTextStream& err, ProgressLine& progress, const QString& where)
{
    ExchangeCallbacks callbacks;
    callbacks.progress = [&progress](qint64 done, qint64 total) { progress.show(done, total); };
    callbacks.rowIssue = [&err, &progress, where](const RowIssue& issue) {
        progress.clear();
        err << where << ' ' << issue.line << ": " << issue.reason << '\n';
    };
    return callbacks;
}

int runImport(const CommandLine& line, QTextStream& out, QTextStream& err, bool terminal)
{
    ImportOptions options;
    options.skipBad = line.skipBad;
    if (line.values.contains(QStringLiteral("format"))) {
        options.format = formatFromKey(line.values.value(QStringLiteral("format")));
        if (!options.format) {
            err << "--format takes chirp, gqrx or csv\n";
            return kExitUsage;
        }
    }
    ProgressLine progress(err, terminal, QStringLiteral("line"));
    const ExchangeCallbacks callbacks = callbacksFor(err, progress, QStringLiteral("line"));
    const ImportResult result =
        importMemories(line.files.at(0), line.files.at(1), options, callbacks);
    progress.clear();
    if (!result.encoding.isEmpty() && (result.ok || result.refused > 0))
        out << "Read " << line.files.at(0) << " as " << formatTitle(result.format) << ", "
            << result.encoding << ".\n";
    if (!result.ok) {
        err << "corvane-memories: " << result.error << '\n';
        return result.refused > 0 ? kExitBadRows : kExitFailed;
    }
    out << result.added << " memories added to " << line.files.at(1);
    if (result.refused > 0)
        out << "; " << result.refused << " rows refused (listed on standard error)";
    out << ".\n";
    return kExitOk;
}

int runExport(const CommandLine& line, QTextStream& out, QTextStream& err, bool terminal)
{
    const std::optional<MemoryFormat> format =
        formatFromKey(line.values.value(QStringLiteral("format")));
    QString error;
    const std::optional<ViewOrder> order = orderOf(line, &error);
    if (!format || !order) {
        err << (format ? error : QStringLiteral("export needs --format chirp, gqrx or csv"))
            << '\n';
        return kExitUsage;
    }
    ProgressLine progress(err, terminal, QStringLiteral("row"));
    const ExchangeCallbacks callbacks = callbacksFor(err, progress, QStringLiteral("row"));
    const ExportResult result =
        exportMemories(line.files.at(0), line.files.at(1), *format, *order, callbacks);
    progress.clear();
    if (!result.ok) {
        err << "corvane-memories: " << result.error << '\n';
        return kExitFailed;
    }
    out << result.written << " memories written to " << line.files.at(1) << " as "
        << formatTitle(*format);
    if (result.leftOut > 0)
        out << "; " << result.leftOut << " rows left out (listed on standard error)";
    out << ".\n";
    return kExitOk;
}

int runList(const CommandLine& line, QTextStream& out, QTextStream& err)
{
    QString error;
    const std::optional<ViewOrder> order = orderOf(line, &error);
    if (!order) {
        err << error << '\n';
        return kExitUsage;
    }
    QStringList captions;
    for (const char* caption : kMemoryCaptions)
        captions.append(QString::fromLatin1(caption));
    out << captions.join(QLatin1Char('\t')) << '\n';
    const auto print = [&out](qint64, const StoredRow& row) {
        QStringList cells;
        for (int c = 0; c < 10; ++c)
            cells.append(memoryrules::cellText(row, c));
        out << cells.join(QLatin1Char('\t')) << '\n';
        return true;
    };
    if (!readMemories(line.files.at(0), *order, print, &error)) {
        err << "corvane-memories: " << error << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

int runCheck(const CommandLine& line, QTextStream& out, QTextStream& err)
{
    QStringList problems;
    int nameLimit = 0;
    QString error;
    if (!checkIntegrity(line.files.at(0), &problems, &nameLimit, &error)) {
        err << "corvane-memories: " << error << '\n';
        return kExitFailed;
    }
    for (const QString& problem : problems)
        err << "database: " << problem << '\n';
    qint64 rows = 0;
    qint64 broken = 0;
    const auto check = [&](qint64 id, const StoredRow& row) {
        ++rows;
        if (const auto reason = memoryrules::ruleBreak(row, nameLimit)) {
            ++broken;
            err << "row id " << id << ": " << *reason << '\n';
        }
        return true;
    };
    if (!readMemories(line.files.at(0), ViewOrder::None, check, &error)) {
        err << "corvane-memories: " << error << '\n';
        return kExitFailed;
    }
    out << line.files.at(0) << ": " << rows << " memories, " << broken << " breaking the rules, "
        << problems.size() << " database problems.\n";
    return broken == 0 && problems.isEmpty() ? kExitOk : kExitBadRows;
}

}  // namespace

QString usage()
{
    return QStringLiteral(
        "Usage:\n"
        "  corvane-memories import FILE DB.MDB [--format chirp|gqrx|csv] [--skip-bad]\n"
        "      Adds the memories of FILE to the bookmark database DB.MDB, in one step: all\n"
        "      go in or none do. The format is guessed from the file unless given. Every row\n"
        "      must hold a frequency of 30 kHz to 199.999999 MHz (and a split frequency in\n"
        "      the same range) and one of the modes LSB, USB, AM, CW, RTTY, FM, WFM; refused\n"
        "      rows are listed with their line and reason. Without --skip-bad one refused\n"
        "      row means nothing is imported; with it the good rows go in.\n"
        "  corvane-memories export DB.MDB FILE --format chirp|gqrx|csv [--order none|name|freq]\n"
        "      Writes every memory of DB.MDB to FILE (replaced only when complete), in the\n"
        "      view order (default: by name). Rows that break the rules are written as they\n"
        "      stand in csv and left out, with their reason, in chirp and gqrx.\n"
        "  corvane-memories list DB.MDB [--order none|name|freq]\n"
        "      Prints one memory a line, the ten columns as the grid shows them, tab-separated.\n"
        "  corvane-memories check DB.MDB\n"
        "      Checks the file's integrity and that every row keeps the rules above.\n"
        "\n"
        "Formats: chirp = CHIRP generic CSV; gqrx = gqrx bookmarks.csv (current and older\n"
        "comma form); csv = Corvane's own CSV (the ten fields of TabFreq, nulls kept).\n"
        "DB.MDB must exist (make one with \"New bookmark database\" in the window).\n"
        "\n"
        "Exit status: 0 success; 1 failure, nothing changed; 2 wrong usage;\n"
        "3 rows refused (import: nothing imported) or rows breaking the rules (check).\n");
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err, bool progressLine)
{
    const CommandLine line = parse(arguments);
    if (line.help) {
        out << usage();
        return kExitOk;
    }
    static const QHash<QString, int> kFileCount = {{QStringLiteral("import"), 2},
                                                   {QStringLiteral("export"), 2},
                                                   {QStringLiteral("list"), 1},
                                                   {QStringLiteral("check"), 1}};
    QString error = line.error;
    if (error.isEmpty() && !kFileCount.contains(line.command))
        error = line.command.isEmpty() ? QStringLiteral("no command given")
                                       : QStringLiteral("unknown command ") + line.command;
    if (error.isEmpty() && line.files.size() != kFileCount.value(line.command))
        error = QStringLiteral("%1 takes %2 file names")
                    .arg(line.command)
                    .arg(kFileCount.value(line.command));
    if (error.isEmpty() && line.skipBad && line.command != QLatin1String("import"))
        error = QStringLiteral("--skip-bad belongs to import");
    if (!error.isEmpty()) {
        err << "corvane-memories: " << error << "\n\n" << usage();
        return kExitUsage;
    }
    if (line.command == QLatin1String("import"))
        return runImport(line, out, err, progressLine);
    if (line.command == QLatin1String("export"))
        return runExport(line, out, err, progressLine);
    if (line.command == QLatin1String("list"))
        return runList(line, out, err);
    return runCheck(line, out, err);
}

}  // namespace memoriestool
