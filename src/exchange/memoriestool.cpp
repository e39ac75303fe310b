#include "exchange/memoriestool.h"

#include "exchange/memoryexport.h"
#include "exchange/memoryimport.h"
#include "exchange/memoryrules.h"
#include "memory/datafreq.h"
#include "profile/radioprofile.h"

#include <QFile>
#include <QHash>
#include <QTextStream>

#include <utility>

namespace memoriestool {

namespace {

/** Options that take a value, by name without the dashes. */
const QStringList kValueOptions = {QStringLiteral("format"), QStringLiteral("order"),
                                   QStringLiteral("report"), QStringLiteral("default-mode"),
                                   QStringLiteral("radio")};

/** On a terminal at most this many row messages are printed; --report FILE has them all. */
constexpr qint64 kShownIssues = 20;

/** The command line taken apart: the command, its file arguments and the options. */
struct CommandLine {
    QString command;
    QStringList files;
    QHash<QString, QString> values;  // --format, --order, --report, --default-mode, --radio
    QStringList given;               // the options given, by name, in order
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
            line.given.append(arg.mid(2));
        } else if (kValueOptions.contains(arg.mid(2))) {
            if (i + 1 >= arguments.size())
                line.error = arg + QStringLiteral(" needs a value");
            else
                line.values.insert(arg.mid(2), arguments.at(++i));
            line.given.append(arg.mid(2));
        } else if (arg.startsWith(QLatin1String("--")) && arg.contains(QLatin1Char('=')) &&
                   kValueOptions.contains(arg.mid(2, arg.indexOf(QLatin1Char('=')) - 2))) {
            const qsizetype eq = arg.indexOf(QLatin1Char('='));
            line.values.insert(arg.mid(2, eq - 2), arg.mid(eq + 1));
            line.given.append(arg.mid(2, eq - 2));
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

/** The native model named name (case aside), or nullptr. */
const RadioProfile* nativeProfileNamed(const QString& name)
{
    for (const RadioProfile* profile : kNativeProfiles) {
        if (profile->displayName().compare(name, Qt::CaseInsensitive) == 0)
            return profile;
    }
    return nullptr;
}

QString nativeProfileNames()
{
    QStringList names;
    for (const RadioProfile* profile : kNativeProfiles)
        names.append(profile->displayName());
    return names.join(QStringLiteral(", "));
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

/** Where the messages about single rows go: standard error (on a terminal at most
 *  kShownIssues of them, then the count) and, with --report FILE, all of them to FILE. */
class IssueLog {
public:
    IssueLog(QTextStream& err, ProgressLine& progress, bool terminal, const QString& where)
        : m_err(err), m_progress(progress), m_terminal(terminal), m_where(where)
    {
    }
    /** Opens --report FILE when given; false with the message printed when it cannot be. */
    bool openReport(const CommandLine& line)
    {
        if (!line.values.contains(QStringLiteral("report")))
            return true;
        m_report.setFileName(line.values.value(QStringLiteral("report")));
        if (m_report.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            m_reportStream.setDevice(&m_report);
            return true;
        }
        m_err << "corvane-memories: the report " << escaped(m_report.fileName())
              << " cannot be written: " << m_report.errorString() << '\n';
        return false;
    }
    ExchangeCallbacks callbacks()
    {
        ExchangeCallbacks callbacks;
        callbacks.progress = [this](qint64 done, qint64 total) { m_progress.show(done, total); };
        callbacks.rowIssue = [this](const RowIssue& issue) { add(issue); };
        return callbacks;
    }
    /** After the run: how many messages were not shown, and where they all are. */
    void finish()
    {
        m_progress.clear();
        if (m_hidden > 0)
            m_err << "... and " << m_hidden << " more " << (m_hidden == 1 ? "message" : "messages")
                  << " about rows not shown here ("
                  << (m_report.isOpen() ? QStringLiteral("all are in ") + m_report.fileName()
                                        : QStringLiteral("--report FILE writes them all"))
                  << ").\n";
        if (m_report.isOpen())
            m_reportStream.flush();
    }

private:
    void add(const RowIssue& issue)
    {
        const QString text = QStringLiteral("%1 %2: %3%4")
                                 .arg(m_where)
                                 .arg(issue.line)
                                 .arg(issue.remark ? QStringLiteral("taken, but ") : QString())
                                 .arg(escaped(issue.reason));
        if (m_report.isOpen())
            m_reportStream << text << '\n';
        if (m_terminal && m_shown >= kShownIssues) {
            ++m_hidden;
            return;
        }
        ++m_shown;
        m_progress.clear();
        m_err << text << '\n';
    }

    QTextStream& m_err;
    ProgressLine& m_progress;
    bool m_terminal;
    QString m_where;
    QFile m_report;
    QTextStream m_reportStream;
    qint64 m_shown = 0;
    qint64 m_hidden = 0;
};

/** A usage error: the tool's prefix, the message and the usage text. */
int usageError(QTextStream& err, const QString& message)
{
    err << "corvane-memories: " << message << "\n\n" << usage();
    return kExitUsage;
}

/** A failure of the work: the tool's prefix and the message, control characters shown. */
int failed(QTextStream& err, const QString& message, int status = kExitFailed)
{
    err << "corvane-memories: " << escaped(message) << '\n';
    return status;
}

int runImport(const CommandLine& line, QTextStream& out, QTextStream& err, bool terminal)
{
    ImportOptions options;
    options.skipBad = line.skipBad;
    if (line.values.contains(QStringLiteral("format"))) {
        options.format = formatFromKey(line.values.value(QStringLiteral("format")));
        if (!options.format)
            return usageError(err, QStringLiteral("--format takes chirp, gqrx or csv"));
    }
    if (line.values.contains(QStringLiteral("default-mode"))) {
        options.defaultMode = line.values.value(QStringLiteral("default-mode")).toUpper();
        if (!memoryrules::modeList().split(QStringLiteral(", ")).contains(options.defaultMode))
            return usageError(
                err, QStringLiteral("--default-mode takes one of ") + memoryrules::modeList());
    }
    ProgressLine progress(err, terminal, QStringLiteral("line"));
    IssueLog issues(err, progress, terminal, QStringLiteral("line"));
    if (!issues.openReport(line))
        return kExitFailed;
    const ImportResult result =
        importMemories(line.files.at(0), line.files.at(1), options, issues.callbacks());
    issues.finish();
    if (!result.encoding.isEmpty() && (result.ok || result.refused > 0))
        out << "Read " << escaped(line.files.at(0)) << " as " << formatTitle(result.format) << ", "
            << result.encoding << ".\n";
    if (!result.ok)
        return failed(err, result.error, result.refused > 0 ? kExitBadRows : kExitFailed);
    out << result.added << " memories added to " << escaped(line.files.at(1));
    if (result.remarks > 0)
        out << "; " << result.remarks << " of them with a remark (something the radio cannot "
            << "hold is not kept)";
    if (result.refused > 0)
        out << "; " << result.refused << " rows refused";
    if (result.remarks > 0 || result.refused > 0)
        out << " (listed on standard error)";
    out << ".\n";
    return kExitOk;
}

int runExport(const CommandLine& line, QTextStream& out, QTextStream& err, bool terminal)
{
    const std::optional<MemoryFormat> format =
        formatFromKey(line.values.value(QStringLiteral("format")));
    QString error;
    const std::optional<ViewOrder> order = orderOf(line, &error);
    if (!format)
        return usageError(err, QStringLiteral("export needs --format chirp, gqrx or csv"));
    if (!order)
        return usageError(err, error);
    ProgressLine progress(err, terminal, QStringLiteral("row"));
    IssueLog issues(err, progress, terminal, QStringLiteral("row"));
    if (!issues.openReport(line))
        return kExitFailed;
    const ExportResult result =
        exportMemories(line.files.at(0), line.files.at(1), *format, *order, issues.callbacks());
    issues.finish();
    if (!result.ok)
        return failed(err, result.error);
    out << result.written << " memories written to " << escaped(line.files.at(1)) << " as "
        << formatTitle(*format);
    if (result.remarks > 0)
        out << "; " << result.remarks << " of them written with a remark";
    if (result.leftOut > 0)
        out << "; " << result.leftOut << " rows left out";
    if (result.remarks > 0 || result.leftOut > 0)
        out << " (listed on standard error)";
    out << ".\n";
    return kExitOk;
}

int runList(const CommandLine& line, QTextStream& out, QTextStream& err)
{
    QString error;
    const std::optional<ViewOrder> order = orderOf(line, &error);
    if (!order)
        return usageError(err, error);
    QStringList captions;
    for (const char* caption : kMemoryCaptions)
        captions.append(QString::fromLatin1(caption));
    // The header only once the database is open and read: a failure prints nothing here.
    bool headerShown = false;
    const auto showHeader = [&] {
        if (!std::exchange(headerShown, true))
            out << captions.join(QLatin1Char('\t')) << '\n';
    };
    const auto print = [&](qint64, const StoredRow& row) {
        showHeader();
        QStringList cells;
        for (int c = 0; c < 10; ++c)
            cells.append(escaped(memoryrules::cellText(row, c)));  // one row a line
        out << cells.join(QLatin1Char('\t')) << '\n';
        return true;
    };
    if (!readMemories(line.files.at(0), *order, print, &error))
        return failed(err, error);
    showHeader();
    return kExitOk;
}

int runCheck(const CommandLine& line, QTextStream& out, QTextStream& err)
{
    QStringList problems;
    int nameLimit = 0;
    QString error;
    if (!checkIntegrity(line.files.at(0), &problems, &nameLimit, &error))
        return failed(err, error);
    for (const QString& problem : problems)
        err << "database: " << escaped(problem) << '\n';
    qint64 rows = 0;
    qint64 broken = 0;
    const auto check = [&](qint64 id, const StoredRow& row) {
        ++rows;
        if (const auto reason = memoryrules::ruleBreak(row, nameLimit)) {
            ++broken;
            err << "row id " << id << ": " << escaped(*reason) << '\n';
        }
        return true;
    };
    if (!readMemories(line.files.at(0), ViewOrder::None, check, &error))
        return failed(err, error);
    out << escaped(line.files.at(0)) << ": " << rows << " memories, " << broken
        << " breaking the rules, " << problems.size() << " database problems.\n";
    return broken == 0 && problems.isEmpty() ? kExitOk : kExitBadRows;
}

}  // namespace

QString usage()
{
    return QStringLiteral(
        "Usage:\n"
        "  corvane-memories import FILE DB.MDB [--format chirp|gqrx|csv] [--skip-bad]\n"
        "                   [--default-mode MODE] [--report REPORT] [--radio MODEL]\n"
        "      Adds the memories of FILE to the bookmark database DB.MDB, in one step: all\n"
        "      go in or none do. The format is guessed from the file unless given. Every row\n"
        "      must hold a frequency the radio receives (and a split frequency too) and one\n"
        "      of the modes LSB, USB, AM, CW, RTTY, FM, WFM; refused\n"
        "      rows are listed with their line and reason. Without --skip-bad one refused\n"
        "      row means nothing is imported; with it the good rows go in. What the radio\n"
        "      cannot hold (a CTCSS tone, transmitting forbidden) is left out and listed as\n"
        "      a remark. --default-mode gives the mode of gqrx bookmarks without one.\n"
        "  corvane-memories export DB.MDB FILE --format chirp|gqrx|csv [--order none|name|freq]\n"
        "                   [--report REPORT]\n"
        "      Writes every memory of DB.MDB to FILE (replaced only when complete), in the\n"
        "      view order (default: by name). Rows that break the rules are written as they\n"
        "      stand in csv and left out, with their reason, in chirp and gqrx.\n"
        "  corvane-memories list DB.MDB [--order none|name|freq]\n"
        "      Prints one memory a line, the ten columns as the grid shows them, tab-separated\n"
        "      (tabs, line breaks and control characters in them shown as \\t, \\n, \\xNN).\n"
        "  corvane-memories check DB.MDB [--radio MODEL]\n"
        "      Checks the file's integrity and that every row keeps the rules above.\n"
        "      --radio names the radio whose frequencies the rules take: IC-706, IC-706MKII\n"
        "      (the default) or IC-706MKIIG, which also receives 400 to 470 MHz.\n"
        "  corvane-memories --version\n"
        "\n"
        "Formats: chirp = CHIRP generic CSV; gqrx = gqrx bookmarks.csv (current and older\n"
        "comma form); csv = Corvane's own CSV (the ten fields of TabFreq, nulls kept).\n"
        "DB.MDB must exist (make one with \"New bookmark database\" in the window).\n"
        "On a terminal at most 20 messages about rows are shown; --report REPORT writes\n"
        "them all to the file REPORT.\n"
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
    struct Command {
        int files;
        QStringList options;
    };
    static const QHash<QString, Command> kCommands = {
        {QStringLiteral("import"),
         {2,
          {QStringLiteral("format"), QStringLiteral("skip-bad"), QStringLiteral("report"),
           QStringLiteral("default-mode"), QStringLiteral("radio")}}},
        {QStringLiteral("export"),
         {2, {QStringLiteral("format"), QStringLiteral("order"), QStringLiteral("report")}}},
        {QStringLiteral("list"), {1, {QStringLiteral("order")}}},
        {QStringLiteral("check"), {1, {QStringLiteral("radio")}}}};
    QString error = line.error;
    const auto command = kCommands.constFind(line.command);
    if (error.isEmpty() && command == kCommands.constEnd())
        error = line.command.isEmpty() ? QStringLiteral("no command given")
                                       : QStringLiteral("unknown command ") + line.command;
    if (error.isEmpty() && line.files.size() != command->files)
        error = QStringLiteral("%1 takes %2 file names").arg(line.command).arg(command->files);
    for (const QString& option : line.given) {
        if (error.isEmpty() && !command->options.contains(option))
            error = QStringLiteral("--%1 does not apply to %2").arg(option, line.command);
    }
    if (!error.isEmpty())
        return usageError(err, escaped(error));
    if (line.values.contains(QStringLiteral("radio"))) {
        const RadioProfile* profile =
            nativeProfileNamed(line.values.value(QStringLiteral("radio")));
        if (!profile)
            return usageError(err, QStringLiteral("--radio takes one of ") + nativeProfileNames());
        radioprofile::setCurrent(*profile);
    }
    if (line.command == QLatin1String("import"))
        return runImport(line, out, err, progressLine);
    if (line.command == QLatin1String("export"))
        return runExport(line, out, err, progressLine);
    if (line.command == QLatin1String("list"))
        return runList(line, out, err);
    return runCheck(line, out, err);
}

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\t')
            out += QLatin1String("\\t");
        else if (u == u'\n')
            out += QLatin1String("\\n");
        else if (u == u'\r')
            out += QLatin1String("\\r");
        else if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            out += QStringLiteral("\\x") +
                   QString::number(u, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

}  // namespace memoriestool
