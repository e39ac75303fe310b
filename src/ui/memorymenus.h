#pragma once

#include "common/errorcatalogue.h"
#include "memory/views.h"
#include "ui/memoryparts.h"

#include <QObject>

class DataFreq;
class FaddBook;

/**
 * The menus of the memories: "&Bookmarks" (the bookmark databases Mbook 0..BookCount and
 * "New bookmark database") and "Mem &Sort" (the order items and the filter "Only scan
 * mem"). The open database's path is the data control's (NomeDB shows it); the ticked
 * Mbook entry marks it, the ticked order item and the filter tick show the view, whose
 * query is DataFreq's record source.
 *
 * Menu items tick themselves when triggered; each handler here sets the ticks itself, so a
 * handler called from code and a click give the same result.
 */
class MemoryMenus : public QObject {
    Q_OBJECT
public:
    MemoryMenus(const MemoryParts& parts, DataFreq* data, QObject* parent = nullptr);

    /** Start-up: Mbook(0) from BOOK0CAPTION ticked, further entries from BOOK1.. up to the
     *  first empty one, BookCount, NomeDB = AppPath + BOOK0, the "by name" view, and the
     *  first read of that database. False with the data control's error when it cannot be
     *  read; the grid is then empty. */
    bool loadBookmarkDatabases(AppError* error);

    /** BookCount: the highest index in use in Mbook. */
    int bookCount() const { return m_bookCount; }

    /** Opens entry index of the bookmark menu. When the database cannot be read, tells why
     *  ("Errore apertura database") and goes back to the database open before. */
    void Mbook_Click(int index);
    /** Shows the dialog "Add new bookmark" (created on first use), modal. */
    void MnewBookmark_Click();

    void Msort_none_Click();
    void Msort_name_Click();
    void Msort_freq_Click();
    void Msort_scan_Click();
    /** Narrows the view to the memories that text finds (see findCondition()), in the
     *  view's order; empty text shows the whole view again. */
    void findMemories(const QString& text);

signals:
    /** The data control now reads the database at path (also after going back to the one
     *  open before a failed switch). */
    void databaseChanged(const QString& path);

private:
    void connectMenus();
    void connectBook(int index);
    void tickBook(int index);
    bool openDatabase(const QString& path, AppError* error);
    void chooseOrder(ViewOrder order);
    /** Ticks the view whose query is DataFreq's record source now. */
    void applyView(ViewOrder order, bool onlyScan, const QString& find);
    void showViewTicks();
    void onBookmarkAdded(int n, const QString& caption);

    MemoryParts m_parts;
    DataFreq* m_data;
    FaddBook* m_addDialog = nullptr;
    int m_bookCount = 0;
    int m_currentBook = 0;
    ViewOrder m_order = ViewOrder::ByName;  ///< the view: its order and the scan filter
    bool m_onlyScan = false;
    QString m_find;  ///< the find filter's text
};
