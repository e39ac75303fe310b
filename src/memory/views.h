#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

/** The order of the memory view, one of the three "Mem Sort" order items. */
enum class ViewOrder { None, ByName, ByFrequency };

/** The record source of a view: the order, and whether only the memories marked for the
 *  bookmark scan (Scan = 'Y') are shown. The texts go to the database as they are. */
QString viewQuery(ViewOrder order, bool onlyScan);

/**
 * What a record source asks for, when it is one of the six view queries (or the bare table
 * name "TabFreq", which reads the whole table in its own order): the ordering columns and
 * the filter, so that the view can be read a window at a time in exactly the same order.
 *
 * The engine orders ties of a view query by the table's row order (rowid), also when it
 * sorts; so the view's order is the ordering columns, each under the column's own collation
 * with nulls first, then rowid. The index named here serves that order for the filtered
 * views, where the engine would otherwise prefer the filter's index and sort every window.
 */
/** A condition on the rows of TabFreq, with the values for its placeholders in order. */
struct ViewCondition {
    QString sql;  ///< empty: every row
    QVariantList binds;
};

/**
 * The find filter of a view: the memories whose Name contains text (letters A-Z compared
 * without regard to case), or whose main frequency starts with it. Digits alone are the start
 * of the frequency as it is written without leading zeros ("14074": 14.074 MHz, and
 * 140.74 MHz); a number with a decimal point or comma is MHz ("145.5": 145.5 to 145.599999
 * MHz). The text reaches the engine only as bound values, its LIKE wildcards escaped.
 * Blank text: no condition.
 */
ViewCondition findCondition(const QString& text);

struct ViewShape {
    QStringList orderColumns;  ///< empty: the table's own order
    bool onlyScan = false;     ///< the filter Scan='Y'
    QString index;             ///< index to read the view through; empty: the engine's choice
    ViewCondition find;        ///< the find filter (findCondition), on top of onlyScan
    /** The order's index does not hold Name, which the find reads: the found rows are
     *  picked by their keys, gathered once per statement through an index that holds every
     *  column the find reads, so that the order's index is read without the table. */
    bool findByKey = false;
};

/** The shape of a record source, exactly one of the six view texts or "TabFreq"; nullopt
 *  for any other text (which is then run whole, as it is written). */
std::optional<ViewShape> viewShapeOf(const QString& recordSource);

/** The statements that create the indexes serving the six views (the template has them;
 *  an older database gets them when it is first opened writable). With them the six
 *  queries run whole still give the same rows in the same order: ties stay in row order,
 *  and the filter alone keeps an index whose entries are in row order. */
QStringList viewIndexStatements();
/** The names of those indexes. */
QStringList viewIndexNames();
