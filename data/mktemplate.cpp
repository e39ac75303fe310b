// Build tool: creates the template bookmark database from its schema file.
//   corvane-mktemplate SCHEMA.sql OUTPUT
// The output is written to a temporary name first and moved into place only when complete.

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>

namespace {

/** The schema's statements: "--" comments dropped, split on ";". */
QStringList statementsOf(const QString& schema)
{
    QString code;
    for (const QString& line : schema.split(QLatin1Char('\n'))) {
        const qsizetype comment = line.indexOf(QLatin1String("--"));
        code += (comment < 0 ? line : line.left(comment)) + QLatin1Char('\n');
    }
    QStringList statements;
    for (const QString& part : code.split(QLatin1Char(';'))) {
        if (!part.trimmed().isEmpty())
            statements.append(part.trimmed());
    }
    return statements;
}

bool build(const QStringList& statements, const QString& file, QString* error)
{
    const QString connection = QStringLiteral("corvane.mktemplate");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(file);
        ok = db.open();
        if (!ok)
            *error = db.lastError().text();
        for (qsizetype i = 0; ok && i < statements.size(); ++i) {
            QSqlQuery query(db);
            ok = query.exec(statements.at(i));
            if (!ok)
                *error = query.lastError().text() + QStringLiteral(" in: ") + statements.at(i);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "usage: corvane-mktemplate SCHEMA.sql OUTPUT\n";
        return 2;
    }
    QFile schema(args.at(1));
    if (!schema.open(QIODevice::ReadOnly | QIODevice::Text)) {
        err << "cannot read " << args.at(1) << ": " << schema.errorString() << '\n';
        return 1;
    }
    const QString output = args.at(2);
    const QString partial = output + QStringLiteral(".partial");
    QFile::remove(partial);
    QString error;
    if (!build(statementsOf(QString::fromUtf8(schema.readAll())), partial, &error)) {
        err << "cannot build " << output << ": " << error << '\n';
        QFile::remove(partial);
        return 1;
    }
    if ((QFile::exists(output) && !QFile::remove(output)) || !QFile::rename(partial, output)) {
        err << "cannot write " << output << '\n';
        return 1;
    }
    return 0;
}
