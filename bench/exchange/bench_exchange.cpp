// Import and export of many memories: wall time and peak resident memory of each step.
//   bench_exchange [ROWS]            (default 100000)
// Each step runs in a child process of its own (this program, re-run with "step ..."), so
// the peak memory printed is that step's alone; "baseline" is the process doing nothing.
#include "exchange/memoryexport.h"
#include "exchange/memoryimport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

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

bool child(const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QCoreApplication::applicationFilePath(), QStringList{"step"} + args);
    return process.waitForFinished(-1) && process.exitCode() == 0;
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
    bool ok = child({"baseline"});
    ok = ok && child({"import", chirp, db, "chirp"});
    for (const char* format : {"chirp", "gqrx", "csv"})
        ok = ok && child({"export", db, dir.filePath(QStringLiteral("out.") + format), format});
    ok = ok && child({"import", dir.filePath("out.csv"), back, "csv"});
    return ok ? 0 : 1;
}
