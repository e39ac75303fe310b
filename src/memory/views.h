#pragma once

#include <QString>

/** The order of the memory view, one of the three "Mem Sort" order items. */
enum class ViewOrder { None, ByName, ByFrequency };

/** The record source of a view: the order, and whether only the memories marked for the
 *  bookmark scan (Scan = 'Y') are shown. The texts go to the database as they are. */
QString viewQuery(ViewOrder order, bool onlyScan);
