#pragma once

#include <QStringList>

class QTextStream;

/**
 * The command-line tool corvane-memories: import, export, list and check of the memories of
 * a bookmark database, on the same library and rules as the window.
 *
 * Exit status: 0 success; 1 the work failed and nothing changed (message on standard
 * error); 2 wrong usage; 3 rows were refused or break the rules (import without --skip-bad:
 * nothing imported; check: the rows are listed).
 */
namespace memoriestool {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitBadRows = 3;

/** Runs the tool; arguments without the program name. progressLine: standard error is a
 *  terminal, so a progress line may be drawn (and erased) there. */
int run(const QStringList& arguments, QTextStream& out, QTextStream& err, bool progressLine);

/** The text of --help. */
QString usage();

/** Text from a file or a database made safe for a terminal and for one line: tab, line
 *  feed and carriage return as \\t \\n \\r, other control characters (escape sequences
 *  among them) as \\xNN. */
QString escaped(const QString& text);

}  // namespace memoriestool
