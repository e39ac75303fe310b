#include "support/memoryfixture.h"

#include "memory/datafreq.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace fixture {

namespace {

/** Runs work on a connection of its own to path and removes the connection afterwards. */
template <typename Work>
void withConnection(const QString& path, Work work)
{
    const QString name = QStringLiteral("fixture");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("fixture: cannot open %s", qPrintable(path));
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void mustExec(QSqlQuery& query)
{
    if (!query.exec())
        qFatal("fixture: %s", qPrintable(query.lastError().text()));
}

}  // namespace

Row memory(const QString& name, const QString& mhz, const QString& khz, const QString& hz,
           const QString& mode, const QVariant& scan)
{
    return {name.isNull() ? QVariant() : QVariant(name), mhz, khz, hz, mode, {}, {}, {}, 0, scan};
}

QString makeDatabase(const QString& dir, const QString& fileName, const QList<Row>& rows)
{
    const QString path = dir + QLatin1Char('/') + fileName;
    QFile::remove(path);
    if (!QFile::copy(QStringLiteral(CORVANE_TEMPLATE_PATH), path))
        qFatal("fixture: cannot copy the template to %s", qPrintable(path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    withConnection(path, [&rows](QSqlDatabase& db) {
        for (const Row& row : rows) {
            QSqlQuery query(db);
            query.prepare(
                QStringLiteral("INSERT INTO TabFreq (Name, MHz, KHz, Hz, Mode, sMHz, "
                               "sKHz, sHz, Split, Scan) VALUES (?,?,?,?,?,?,?,?,?,?)"));
            for (const QVariant& value : row)
                query.addBindValue(value);
            mustExec(query);
        }
    });
    return path;
}

void fillGenerated(const QString& path, int count)
{
    static const char* const kModes[] = {"FM", "USB", "LSB", "AM", "CW", "RTTY", "WFM"};
    withConnection(path, [count](QSqlDatabase& db) {
        db.transaction();
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("INSERT INTO TabFreq (Name, MHz, KHz, Hz, Mode, Split, Scan) "
                           "VALUES (?,?,?,?,?,0,?)"));
        for (int i = 0; i < count; ++i) {
            const int hash = (i * 7919) % 100000;  // names and frequencies not in row order
            query.bindValue(0, QStringLiteral("M%1").arg(hash, 6, 10, QLatin1Char('0')));
            query.bindValue(1, QStringLiteral("%1").arg(1 + hash % 200, 3, 10, QLatin1Char('0')));
            query.bindValue(2, QStringLiteral("%1").arg(hash % 1000, 3, 10, QLatin1Char('0')));
            query.bindValue(3, QStringLiteral("%1").arg(i % 1000, 3, 10, QLatin1Char('0')));
            query.bindValue(4, QString::fromLatin1(kModes[i % 7]));
            query.bindValue(5, i % 10 == 0 ? QVariant(QStringLiteral("Y")) : QVariant());
            mustExec(query);
        }
        db.commit();
    });
}

QStringList rowsOf(const QString& path, const QString& sql)
{
    QStringList rows;
    withConnection(path, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(sql))
            qFatal("fixture: %s", qPrintable(query.lastError().text()));
        while (query.next()) {
            QStringList fields;
            for (int c = 0; c < query.record().count(); ++c)
                fields.append(query.isNull(c) ? QStringLiteral("~") : query.value(c).toString());
            rows.append(fields.join(QLatin1Char('|')));
        }
    });
    return rows;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString makeJetFile(const QString& dir, const QString& fileName)
{
    const QString path = dir + QLatin1Char('/') + fileName;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("fixture: cannot write %s", qPrintable(path));
    QByteArray bytes("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    bytes.append(QByteArray(2048 - bytes.size(), '\x5a'));
    file.write(bytes);
    return path;
}

std::unique_ptr<DataFreq> openedDataFreq(const QString& path, const QString& source)
{
    auto data = std::make_unique<DataFreq>();
    data->setDatabaseName(path);
    data->setRecordSource(source);
    AppError error;
    if (!data->refresh(&error))
        qWarning("refresh failed: %s", qPrintable(error.text));
    return data;
}

}  // namespace fixture
