// Memory grid benchmark: bookmark databases of 1 000, 10 000 and 100 000 memories side by
// side, median of 5 runs, in milliseconds. Each size runs in a process of its own, so that
// its peak memory is its own. For each size:
//   open      DataFreq opened on the file (start-up view, by name) and the first screen
//             painted in the window's grid, minus the same on an empty database
//   <view>    change to the view (record source + refresh) until the first screen is
//             painted; beside it "sqlite3" running the same view query whole on the file
//   add       ADD MEM: the row written on a connection of its own, shown in place, painted
//   edit      a grid edit (Name of a row) written to the file
//   delete    the current row deleted (the view keeps its position), painted
//   last/mid  right after a change of view, a jump to the last / middle row painted;
//             name_middle_after_idle: the same once the keys were read ahead while idle
//   find_*    the find filter typed over a view until the first screen is painted (a part
//             of a name, a frequency start, a text that finds nothing; find_freq* over the
//             frequency view), with the rows found and a jump to the last of them
//   scroll    one screen further down, painted
//   peak      peak memory of the process (ru_maxrss), MiB; the file is filled by another
//             process, so this is the grid's own
// Run from the build tree: bench/memory/bench_memory [sizes...]
// With CORVANE_BENCH_NO_PAINT=1 the view changes and jumps read the screen's cells instead
// of painting them: the data side alone.

#include "memory/datafreq.h"
#include "memory/memorywriter.h"
#include "memory/views.h"
#include "ui/memorygrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <functional>
#include <tuple>

namespace {

constexpr int kRepeats = 5;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

/** Median of kRepeats runs of measured(), each after prepare() (not timed): wall-clock time
 *  and, after a slash, the CPU time of this process (the machine's cores are shared). */
QString timed(const std::function<void()>& measured, const std::function<void()>& prepare = {})
{
    QList<double> times, cpu;
    for (int i = 0; i < kRepeats; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        const double cpuStart = cpuMs();
        timer.start();
        measured();
        times << timer.nsecsElapsed() / 1e6;
        cpu << cpuMs() - cpuStart;
    }
    return QStringLiteral("%1/%2").arg(median(times), 0, 'f', 1).arg(median(cpu), 0, 'f', 1);
}

QString copyTemplate(const QString& path)
{
    QFile::remove(path);
    if (!QFile::copy(QStringLiteral(CORVANE_TEMPLATE_PATH), path))
        qFatal("cannot copy the template");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

void fill(const QString& path, int rows)
{
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        db.open();
        db.transaction();
        QSqlQuery insert(db);
        insert.prepare(
            QStringLiteral("INSERT INTO TabFreq (Name, MHz, KHz, Hz, Mode, Split, "
                           "Scan) VALUES (?,?,?,?,?,0,?)"));
        static const char* const kModes[] = {"FM", "USB", "LSB", "AM", "CW", "RTTY", "WFM"};
        for (int i = 0; i < rows; ++i) {
            const int hash = (i * 7919) % 100000;
            // Every 50th memory has no name, as ADD MEM leaves it; names repeat in two cases.
            const QVariant name =
                i % 50 == 0
                    ? QVariant()
                    : QVariant((i % 2 ? QStringLiteral("Memory %1") : QStringLiteral("memory %1"))
                                   .arg(hash % (rows / 2 + 1), 6, 10, QLatin1Char('0')));
            insert.bindValue(0, name);
            insert.bindValue(1, QStringLiteral("%1").arg(1 + hash % 200, 3, 10, QLatin1Char('0')));
            insert.bindValue(2, QStringLiteral("%1").arg(hash % 1000, 3, 10, QLatin1Char('0')));
            insert.bindValue(3, QStringLiteral("%1").arg(i % 1000, 3, 10, QLatin1Char('0')));
            insert.bindValue(4, QString::fromLatin1(kModes[i % 7]));
            insert.bindValue(5, i % 10 == 0 ? QVariant(QStringLiteral("Y")) : QVariant());
            if (!insert.exec())
                qFatal("%s", qPrintable(insert.lastError().text()));
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

double childCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

/** The sqlite3 tool running the query whole: wall-clock time / the tool's CPU time. */
QString sqliteToolMs(const QString& path, const QString& sql)
{
    QList<double> times, cpu;
    for (int i = 0; i < kRepeats; ++i) {
        QProcess tool;
        tool.setStandardOutputFile(QProcess::nullDevice());
        const double cpuStart = childCpuMs();
        QElapsedTimer timer;
        timer.start();
        tool.start(QStringLiteral("sqlite3"), {path, sql});
        if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
            qFatal("sqlite3 failed");
        times << timer.nsecsElapsed() / 1e6;
        cpu << childCpuMs() - cpuStart;
    }
    return QStringLiteral("%1/%2").arg(median(times), 0, 'f', 1).arg(median(cpu), 0, 'f', 1);
}

/** The window's memory grid as the window sets it up (font, row height, column widths,
 *  editing and cell painting) over the data control, 900 x 700 pixels, painted offscreen. */
struct Grid {
    DataFreq data;
    MemoryGrid view;

    explicit Grid(const QString& path)
    {
        data.setDatabaseName(path);
        view.resize(900, 700);
        view.showMemories(&data);
    }
    void show(const QString& source)
    {
        data.setRecordSource(source);
        AppError error;
        if (!data.refresh(&error))
            qFatal("%s", qPrintable(error.text));
        view.scrollToTop();
        paint(0);
    }
    /** Paints the screen; with CORVANE_BENCH_NO_PAINT set, only reads its cells instead. */
    void paint(int firstRow)
    {
        if (!qEnvironmentVariableIsSet("CORVANE_BENCH_NO_PAINT")) {
            view.grab();
            return;
        }
        for (int r = firstRow; r < std::min(firstRow + 40, data.recordCount()); ++r) {
            for (int c = 0; c < 10; ++c)
                data.cell(r, c);
        }
    }
    void jumpTo(int row)
    {
        data.moveTo(row);
        view.scrollTo(data.model()->index(row, 0));
        paint(row);
    }
};

QString openMs(const QString& path)
{
    return timed([&] {
        Grid grid(path);
        grid.show(viewQuery(ViewOrder::ByName, false));
    });
}

/** Figures of one size, printed as "name value" lines for the parent process. */
void runSize(int rows, QTextStream& out)
{
    QTemporaryDir dir;
    const QString empty = copyTemplate(dir.filePath(QStringLiteral("empty.MDB")));
    const QString path = copyTemplate(dir.filePath(QStringLiteral("large.MDB")));
    // Filled by a process of its own, so that the peak memory below is the grid's alone.
    if (QProcess::execute(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--fill"), path, QString::number(rows)}) != 0)
        qFatal("filling %s failed", qPrintable(path));
    out << "file_KiB " << QFile(path).size() / 1024 << '\n';
    out << "open_empty " << openMs(empty) << '\n';
    out << "open " << openMs(path) << '\n';

    Grid grid(path);
    grid.show(viewQuery(ViewOrder::ByName, false));
    out << "paint_only " << timed([&] { grid.view.grab(); }) << '\n';
    const QList<QPair<QString, ViewOrder>> orders = {
        {QStringLiteral("none"), ViewOrder::None},
        {QStringLiteral("name"), ViewOrder::ByName},
        {QStringLiteral("freq"), ViewOrder::ByFrequency}};
    for (bool scan : {false, true}) {
        for (const auto& [label, order] : orders) {
            const QString sql = viewQuery(order, scan);
            const QString name = label + (scan ? QStringLiteral("+scan") : QString());
            out << name << ' ' << timed([&] { grid.show(sql); }) << '\n';
            if (!grid.data.isWindowed())
                out << name << "_read_whole 1\n";
            out << name << "_sqlite3 " << sqliteToolMs(path, sql) << '\n';
            out << name << "_last "
                << timed([&] { grid.jumpTo(grid.data.recordCount() - 1); }, [&] { grid.show(sql); })
                << '\n';
            out << name << "_middle "
                << timed([&] { grid.jumpTo(grid.data.recordCount() / 2); }, [&] { grid.show(sql); })
                << '\n';
        }
    }
    // The find filter, typed into the field over a view: a part of a name, the start of a
    // frequency in MHz, and a text that finds nothing (every row is looked at); over the
    // name view and over the frequency view, whose index holds no names.
    const QList<std::tuple<QString, ViewOrder, QString>> finds = {
        {QStringLiteral("find_name"), ViewOrder::ByName, QStringLiteral("ory 0001")},
        {QStringLiteral("find_nothing"), ViewOrder::ByName, QStringLiteral("no such memory")},
        {QStringLiteral("find_name_by_freq"), ViewOrder::ByName, QStringLiteral("145.5")},
        {QStringLiteral("find_freq"), ViewOrder::ByFrequency, QStringLiteral("145.5")},
        {QStringLiteral("find_freq_digits"), ViewOrder::ByFrequency, QStringLiteral("14507")},
        {QStringLiteral("find_freq_by_name"), ViewOrder::ByFrequency, QStringLiteral("ory 0001")},
        {QStringLiteral("find_freq_nothing"), ViewOrder::ByFrequency,
         QStringLiteral("no such memory")}};
    for (const auto& [label, order, text] : finds) {
        const QString sql = viewQuery(order, false);
        const auto find = [&] {
            grid.data.setFindText(text);
            grid.show(sql);
        };
        out << label << ' ' << timed(find, [&] { grid.data.setFindText(QString()); }) << '\n';
        if (!grid.data.isWindowed())
            out << label << "_read_whole 1\n";
        out << label << "_rows " << grid.data.recordCount() << '\n';
        out << label << "_last " << timed([&] { grid.jumpTo(grid.data.recordCount() - 1); }, find)
            << '\n';
    }
    grid.data.setFindText(QString());
    const QString byName = viewQuery(ViewOrder::ByName, false);
    // Once the window has been idle a moment, every key has been read ahead.
    const auto idle = [&] {
        grid.show(byName);
        for (int turn = 0; turn < rows / 512 + 10; ++turn)
            QCoreApplication::processEvents();
    };
    out << "name_middle_after_idle "
        << timed([&] { grid.jumpTo(grid.data.recordCount() / 2); }, idle) << '\n';
    grid.show(byName);
    grid.jumpTo(grid.data.recordCount() / 3);
    out << "scroll " << timed([&] {
        QScrollBar* bar = grid.view.verticalScrollBar();
        bar->setValue(bar->value() + bar->pageStep());
        grid.paint(grid.view.rowAt(0));
    }) << '\n';
    out << "add " << timed([&] {
        AppError error;
        qint64 key = 0;
        if (!MemoryWriter::addMemory(path, {"145", "500", "000", "FM"}, &error, &key) ||
            !grid.data.showAddedRow(key, &error))
            qFatal("%s", qPrintable(error.text));
        grid.paint(grid.view.rowAt(0));
    }) << '\n';
    int edits = 0;
    out << "edit " << timed([&] {
        AppError error;
        grid.data.setCell(rows / 4, memcol::kName, QStringLiteral("edited %1").arg(++edits));
        if (!grid.data.writePendingRow(&error))
            qFatal("%s", qPrintable(error.text));
        grid.paint(grid.view.rowAt(0));
    }) << '\n';
    out << "delete "
        << timed(
               [&] {
                   AppError error;
                   if (!grid.data.deleteCurrentRow(&error))
                       qFatal("%s", qPrintable(error.text));
                   grid.paint(grid.view.rowAt(0));
               },
               [&] { grid.jumpTo(grid.data.recordCount() / 2); })
        << '\n';
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    out << "peak_MiB " << QString::number(usage.ru_maxrss / 1024.0, 'f', 1) << '\n';
}

/** Runs each size in a child process and prints the figures side by side. */
int runAll(const QStringList& sizes)
{
    QTextStream out(stdout);
    QList<QStringList> names;
    QList<QHash<QString, QString>> figures;
    for (const QString& size : sizes) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--size"), size});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            qFatal("the run with %s memories failed", qPrintable(size));
        QHash<QString, QString> values;
        QStringList order;
        for (const QString& line : QString::fromUtf8(child.readAllStandardOutput()).split('\n')) {
            const QStringList parts = line.split(' ');
            if (parts.size() == 2) {
                values.insert(parts[0], parts[1]);
                order << parts[0];
            }
        }
        names << order;
        figures << values;
    }
    out << QStringLiteral("memories, median of %1, ms").arg(kRepeats).leftJustified(26);
    for (const QString& size : sizes)
        out << size.rightJustified(14);
    out << '\n';
    for (const QString& name : names.value(0)) {
        out << name.leftJustified(26);
        for (const auto& values : figures)
            out << values.value(name).rightJustified(14);
        out << '\n';
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args[0] == QLatin1String("--fill")) {
        fill(args[1], args[2].toInt());
        return 0;
    }
    if (args.size() == 2 && args[0] == QLatin1String("--size")) {
        QTextStream out(stdout);
        runSize(args[1].toInt(), out);
        return 0;
    }
    return runAll(args.isEmpty() ? QStringList{QStringLiteral("1000"), QStringLiteral("10000"),
                                               QStringLiteral("100000")}
                                 : args);
}
