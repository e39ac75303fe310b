// Import and export of many memories: wall time and peak resident memory of each step.
//   bench_exchange [ROWS]            (default 100000)
// Each step runs in a child process of its own (this program, re-run with "step ..."), so
// the peak memory printed is that step's alone; "baseline" is the process doing nothing.
// Last, the CHIRP and own-CSV imports are set against the floor, sqlite3 .import of the
// same rows into the same table: each runs three times and the fastest of each counts.
#include "exchange/memoryexport.h"
#include "exchange/memoryimport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

#include <sys/resource.h>

namespace {

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool writeChirpFile(const QString& path, int rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    static const char* const kModes[] = {"FM", "USB", "LSB", "AM", "CW", "RTTY", "WFM", "NFM"};
    file.write(
        "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,"
        "DtcsPolarity,RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,"
        "RPT2CALL,DVCODE\r\n");
    for (int i = 0; i < rows; ++i) {
        const int hz = 1'000'000 + (i * 7919) % 198'000'000;
        const QByteArray line = QByteArray::number(i) + ",Memory " + QByteArray::number(i) + ',' +
                                QByteArray::number(hz / 1'000'000) + '.' +
                                QByteArray::number(hz % 1'000'000).rightJustified(6, '0') +
                                (i % 5 == 0 ? ",-,0.600000" : ",,0.000000") +
                                ",,88.5,88.5,023,NN,023,Tone->Tone," + kModes[i % 8] + ",5.00," +
                                (i % 3 == 0 ? "S" : "") + ",50W,,,,,\r\n";
        file.write(line);
    }
    return file.error() == QFile::NoError;
}

/** One step in this process: prints "name: rows, ms, peak MiB". */
int runStep(const QStringList& args)
{
    QTextStream out(stdout);
    const QString step = args.at(0);
    QElapsedTimer timer;
    timer.start();
    qint64 rows = 0;
    QString error;
    if (step == QLatin1String("import")) {
        const ImportResult result = importMemories(args.at(1), args.at(2), {}, {});
        rows = result.added;
        error = result.error;
    } else if (step == QLatin1String("floor")) {
        // The same rows in their stored forms, put in by SQLite's own shell: what the
        // import cannot beat (reading, checking and mapping cost on top of it).
        QProcess shell;
        shell.start(QStringLiteral("sqlite3"),
                    {args.at(2), QStringLiteral(".mode csv"),
                     QStringLiteral(".import '%1' TabFreq").arg(args.at(1))});
        if (!shell.waitForFinished(-1) || shell.exitCode() != 0)
            error = QStringLiteral("sqlite3 failed: ") +
                    QString::fromUtf8(shell.readAllStandardError());
        rows = -1;
    } else if (step == QLatin1String("export")) {
        const ExportResult result = exportMemories(
            args.at(1), args.at(2), *formatFromKey(args.at(3)), ViewOrder::ByName, {});
        rows = result.written;
        error = result.error;
    }
    const qint64 ms = timer.elapsed();
    out << qSetFieldWidth(34) << Qt::left
        << args.join(QLatin1Char(' ')).section(QLatin1Char(' '), 0, 0) +
               (args.size() > 3 ? QLatin1Char(' ') + args.at(3) : QString()) +
               (args.size() > 4 ? QLatin1Char(' ') + args.at(4) : QString())
        << qSetFieldWidth(0) << rows << " rows  " << ms << " ms  peak " << peakKiB() / 1024
        << " MiB" << (error.isEmpty() ? QString() : QStringLiteral("  ERROR ") + error) << '\n';
    return error.isEmpty() ? 0 : 1;
}

/** Runs one step in a child process and passes its line on; the step's milliseconds, or
 *  -1 when it failed. */
qint64 child(const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), QStringList{"step"} + args);
    if (!process.waitForFinished(-1))
        return -1;
    const QString line = QString::fromUtf8(process.readAllStandardOutput());
    QTextStream(stdout) << line << Qt::flush;
    if (process.exitCode() != 0)
        return -1;
    const qsizetype ms = line.indexOf(QLatin1String(" ms"));
    return line.left(ms).section(QLatin1Char(' '), -1).toLongLong();
}

/** The rows of db as CSV in their stored forms, key first, as sqlite3 .import takes them. */
bool dumpStoredRows(const QString& db, const QString& csv)
{
    QProcess shell;
    shell.setStandardOutputFile(csv);
    shell.start(QStringLiteral("sqlite3"),
                {QStringLiteral("-csv"), db, QStringLiteral("SELECT * FROM TabFreq ORDER BY id")});
    return shell.waitForFinished(-1) && shell.exitCode() == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() && args.first() == QLatin1String("step"))
        return runStep(args.mid(1));
    const int rows = args.isEmpty() ? 100000 : args.first().toInt();
    QTemporaryDir dir;
    const QString chirp = dir.filePath("in.csv");
    const QString db = dir.filePath("BENCH.MDB");
    const QString back = dir.filePath("BACK.MDB");
    if (!writeChirpFile(chirp, rows) || !QFile::copy(QStringLiteral(CORVANE_TEMPLATE_PATH), db) ||
        !QFile::copy(QStringLiteral(CORVANE_TEMPLATE_PATH), back))
        return 1;
    QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(back, QFile::ReadOwner | QFile::WriteOwner);
    QTextStream(stdout) << rows << " memories; CHIRP file " << QFile(chirp).size() / 1024
                        << " KiB\n";
    bool ok = child({"baseline"}) >= 0;
    const qint64 importMs = child({"import", chirp, db, "chirp"});
    ok = ok && importMs >= 0;
    for (const char* format : {"chirp", "gqrx", "csv"})
        ok =
            ok && child({"export", db, dir.filePath(QStringLiteral("out.") + format), format}) >= 0;
    const qint64 ownMs = child({"import", dir.filePath("out.csv"), back, "csv"});
    ok = ok && ownMs >= 0;
    const QString stored = dir.filePath("stored.csv");
    const QString floorDb = dir.filePath("FLOOR.MDB");
    if (!ok || QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty() ||
        !dumpStoredRows(db, stored) || !QFile::copy(QStringLiteral(CORVANE_TEMPLATE_PATH), floorDb))
        return ok ? 0 : 1;
    QFile::setPermissions(floorDb, QFile::ReadOwner | QFile::WriteOwner);
    qint64 floorMs = child({"floor", stored, floorDb});
    if (floorMs <= 0)
        return 1;
    // The machine's load moves a single run by a third: both imports and the floor run twice
    // more, in turn, each into a fresh copy of the template, and the fastest of each counts.
    qint64 bestImportMs = importMs;
    qint64 bestOwnMs = ownMs;
    const QString again = dir.filePath("AGAIN.MDB");
    const auto runAgain = [&](qint64* bestMs, const QStringList& args) {
        QFile::remove(again);
        const qint64 ms = QFile::copy(QStringLiteral(CORVANE_TEMPLATE_PATH), again) &&
                                  QFile::setPermissions(again, QFile::ReadOwner | QFile::WriteOwner)
                              ? child(args)
                              : -1;
        ok = ok && ms > 0;
        *bestMs = ms > 0 ? std::min(*bestMs, ms) : *bestMs;
    };
    for (int round = 0; round < 2; ++round) {
        runAgain(&bestImportMs, {"import", chirp, again, "chirp"});
        runAgain(&bestOwnMs, {"import", dir.filePath("out.csv"), again, "csv"});
        runAgain(&floorMs, {"floor", stored, again});
    }
    QTextStream(stdout) << "import / sqlite3 .import floor, fastest of 3 each: CHIRP "
                        << QString::number(double(bestImportMs) / floorMs, 'f', 2) << "x, own CSV "
                        << QString::number(double(bestOwnMs) / floorMs, 'f', 2) << "x\n";
    return ok ? 0 : 1;
}
