// Memory grid benchmark: a bookmark database of 100 000 memories, each of the six views.
// For every view it prints the time from the change of view (record source + refresh) to
// the first screen of rows in the model, and to that screen painted in a QTableView, beside
// the sqlite3 command-line tool running the same query on the same file; then the time to
// jump to the middle of the view and paint it, and the peak memory of the process.
// Run from the build tree: bench/memory/bench_memory [rows]

#include "memory/datafreq.h"
#include "memory/views.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRepeats = 5;
constexpr int kScreenRows = 40;

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

void exec(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
}

void fill(const QString& path, int rows, bool indexes)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
    db.setDatabaseName(path);
    db.open();
    db.transaction();
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral(
        "INSERT INTO TabFreq (Name, MHz, KHz, Hz, Mode, Split, Scan) VALUES (?,?,?,?,?,0,?)"));
    static const char* const kModes[] = {"FM", "USB", "LSB", "AM", "CW", "RTTY", "WFM"};
    for (int i = 0; i < rows; ++i) {
        const int hash = (i * 7919) % 100000;
        insert.bindValue(0, QStringLiteral("Memory %1").arg(hash, 6, 10, QLatin1Char('0')));
        insert.bindValue(1, QStringLiteral("%1").arg(1 + hash % 200, 3, 10, QLatin1Char('0')));
        insert.bindValue(2, QStringLiteral("%1").arg(hash % 1000, 3, 10, QLatin1Char('0')));
        insert.bindValue(3, QStringLiteral("%1").arg(i % 1000, 3, 10, QLatin1Char('0')));
        insert.bindValue(4, QString::fromLatin1(kModes[i % 7]));
        insert.bindValue(5, i % 10 == 0 ? QVariant(QStringLiteral("Y")) : QVariant());
        if (!insert.exec())
            qFatal("%s", qPrintable(insert.lastError().text()));
    }
    db.commit();
    if (indexes) {
        exec(db, QStringLiteral("CREATE INDEX TabFreqByName ON TabFreq (Name, MHz, KHz, Hz)"));
        exec(db, QStringLiteral("CREATE INDEX TabFreqByFreq ON TabFreq (MHz, KHz, Hz)"));
        exec(db, QStringLiteral("CREATE INDEX TabFreqByScan ON TabFreq (Scan)"));
    }
    insert = QSqlQuery();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

double sqliteToolMs(const QString& path, const QString& sql)
{
    QList<double> times;
    for (int i = 0; i < kRepeats; ++i) {
        QProcess tool;
        tool.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        tool.start(QStringLiteral("sqlite3"), {path, sql});
        if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
            return -1;
        times << timer.nsecsElapsed() / 1e6;
    }
    return median(times);
}

/** Touches every cell of the first screen, as the grid does when it paints. */
void readScreen(const QAbstractItemModel* model, int first)
{
    for (int r = first; r < std::min(first + kScreenRows, model->rowCount()); ++r)
        for (int c = 0; c < model->columnCount(); ++c)
            model->data(model->index(r, c));
}

struct Figures {
    double rowsMs = 0;
    double paintedMs = 0;
    double middleMs = 0;
};

Figures measureView(DataFreq* data, QTableView* view, const QString& sql)
{
    QList<double> rows, painted, middle;
    for (int i = 0; i < kRepeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        data->setRecordSource(sql);
        AppError error;
        if (!data->refresh(&error))
            qFatal("%s", qPrintable(error.text));
        readScreen(data->model(), 0);
        rows << timer.nsecsElapsed() / 1e6;
        view->scrollToTop();
        view->grab();
        painted << timer.nsecsElapsed() / 1e6;
        timer.restart();
        view->scrollTo(data->model()->index(data->recordCount() / 2, 0));
        view->grab();
        middle << timer.nsecsElapsed() / 1e6;
    }
    return {median(rows), median(painted), median(middle)};
}

void runAll(const QString& path, int rowCount, QTextStream& out)
{
    DataFreq data;
    data.setDatabaseName(path);
    QTableView view;
    view.resize(900, 700);
    view.setModel(data.model());
    view.verticalHeader()->setDefaultSectionSize(18);
    out << QStringLiteral("%1 memories, median of %2 runs, ms\n").arg(rowCount).arg(kRepeats);
    out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
               .arg(QStringLiteral("view"), -22)
               .arg(QStringLiteral("rows"), 8)
               .arg(QStringLiteral("painted"), 8)
               .arg(QStringLiteral("middle"), 8)
               .arg(QStringLiteral("sqlite3"), 8)
               .arg(QStringLiteral("count"), 7);
    const QList<QPair<QString, ViewOrder>> orders = {
        {QStringLiteral("none"), ViewOrder::None},
        {QStringLiteral("name"), ViewOrder::ByName},
        {QStringLiteral("freq"), ViewOrder::ByFrequency}};
    for (bool scan : {false, true}) {
        for (const auto& [label, order] : orders) {
            const QString sql = viewQuery(order, scan);
            const Figures f = measureView(&data, &view, sql);
            out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                       .arg(label + (scan ? QStringLiteral(", only scan") : QString()), -22)
                       .arg(f.rowsMs, 8, 'f', 1)
                       .arg(f.paintedMs, 8, 'f', 1)
                       .arg(f.middleMs, 8, 'f', 1)
                       .arg(sqliteToolMs(path, sql), 8, 'f', 1)
                       .arg(data.recordCount(), 7);
            out.flush();
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    QTextStream out(stdout);
    for (bool indexes : {false, true}) {
        const QString path =
            dir.filePath(indexes ? QStringLiteral("indexed.MDB") : QStringLiteral("plain.MDB"));
        if (!QFile::copy(QStringLiteral(CORVANE_TEMPLATE_PATH), path))
            qFatal("cannot copy the template");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        fill(path, rows, indexes);
        out << (indexes ? "\nWith indexes on (Name,MHz,KHz,Hz), (MHz,KHz,Hz), (Scan), "
                        : "\nTemplate as built, ")
            << "file " << QFile(path).size() / 1024 << " KiB\n";
        runAll(path, rows, out);
    }
    out << "\npeak memory (ru_maxrss): " << peakKiB() / 1024 << " MiB\n";
    return 0;
}
