// corvane-memories: import, export, list and check the memories of a bookmark database.
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
    const int status =
        memoriestool::run(app.arguments().mid(1), out, err, isatty(STDERR_FILENO) == 1);
    out.flush();
    err.flush();
    return status;
}
