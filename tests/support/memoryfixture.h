#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class DataFreq;

/** Test helpers: bookmark databases made from the built template in a temporary directory,
 *  filled and read back on a connection of the test's own. */
namespace fixture {

/** One row of TabFreq in grid column order (Name .. Scan); a null QVariant is NULL. */
using Row = QVariantList;

/** Row with Split 0, no split parts, no name unless given. */
Row memory(const QString& name, const QString& mhz, const QString& khz, const QString& hz,
           const QString& mode, const QVariant& scan = {});

/** Copies the built EMPTY.MDB to dir/fileName and inserts the rows; returns the path. */
QString makeDatabase(const QString& dir, const QString& fileName, const QList<Row>& rows);

/** Inserts count generated rows in one transaction (names "M000000"...). */
void fillGenerated(const QString& path, int count);

/** Every row of the query, each as its columns' texts joined by "|" (NULL shows as "~"). */
QStringList rowsOf(const QString& path, const QString& sql);

/** The file's bytes, to show that a failed operation changed nothing. */
QByteArray bytesOf(const QString& path);

/** Writes a file whose header is that of an Access (Jet) database. */
QString makeJetFile(const QString& dir, const QString& fileName);

/** A data control on path with the record source, refreshed; a failed refresh is warned
 *  about (the test's own checks then fail on the empty view). */
std::unique_ptr<DataFreq> openedDataFreq(const QString& path, const QString& source);

}  // namespace fixture
