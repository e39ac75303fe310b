// corvane-memories: import, export, list and check the memories of a bookmark database.
#include "common/version.h"
#include "exchange/memoriestool.h"

#include <QCoreApplication>
#include <QTextStream>

#include <unistd.h>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.contains(QLatin1String("--version")) || arguments.contains(QLatin1String("-v"))) {
        out << "corvane-memories " << kCorvaneVersion << '\n';
        return 0;
    }
    const int status = memoriestool::run(arguments, out, err, isatty(STDERR_FILENO) == 1);
    out.flush();
    err.flush();
    return status;
}
