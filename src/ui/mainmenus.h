#pragma once

#include "settings/startupsettings.h"

#include <QList>
#include <QObject>

class QAction;
class QMenu;
class QMenuBar;

/**
 * The menu bar of the main window: "&Bookmarks" (MnewBookmark, a separator, the growing
 * list Mbook 0..n), "Mem &Sort" (Msort_none, Msort_name, Msort_freq, a separator,
 * Msort_scan) and "Com Port" (Mcom 1..4, a separator, MradioSettings "Radio settings…"). Builds the
 * items and hands them out; the handlers live with the parts that own them.
 */
class MainMenus : public QObject {
    Q_OBJECT
public:
    static constexpr int kComCount = kPortCount;

    explicit MainMenus(QMenuBar* bar);

    QMenu* bookmarksMenu() const { return m_bookmarks; }
    QMenu* sortMenu() const { return m_sort; }
    QMenu* comPortMenu() const { return m_comPort; }

    QAction* newBookmarkAction() const { return m_newBookmark; }
    /** Mbook(0) .. Mbook(n) in index order. */
    const QList<QAction*>& bookActions() const { return m_books; }
    /** Appends Mbook(n) after the last entry: caption given, checkable, unticked. */
    QAction* addBookAction(const QString& caption);

    QAction* sortNoneAction() const { return m_sortNone; }
    QAction* sortNameAction() const { return m_sortName; }
    QAction* sortFreqAction() const { return m_sortFreq; }
    QAction* sortScanAction() const { return m_sortScan; }
    /** "Find memory…" (Ctrl+F) at the foot of "Mem Sort". */
    QAction* findAction() const { return m_find; }

    QAction* radioSettingsAction() const { return m_radioSettings; }

    /** Mcom(portNumber), portNumber 1..4; nullptr outside. */
    QAction* comAction(int portNumber) const;
    /** Ticks Mcom(portNumber) alone (0 unticks all). */
    void tickCom(int portNumber);
    /** Shows the device behind Mcom(portNumber) as its tooltip and status tip. */
    void setComDevice(int portNumber, const QString& device);

private:
    QAction* addItem(QMenu* menu, const char* name, const QString& caption, bool ticked);

    QMenu* m_bookmarks;
    QMenu* m_sort;
    QMenu* m_comPort;
    QAction* m_newBookmark;
    QList<QAction*> m_books;
    QAction* m_sortNone;
    QAction* m_sortName;
    QAction* m_sortFreq;
    QAction* m_sortScan;
    QAction* m_find;
    QAction* m_com[kComCount];
    QAction* m_radioSettings;
};
