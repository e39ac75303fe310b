#pragma once

#include "common/errorcatalogue.h"
#include "memory/memorywriter.h"
#include "radio/recall.h"
#include "ui/memorygrid.h"
#include "ui/memoryparts.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <optional>

class DataFreq;
class MemoryMenus;
class QModelIndex;
class QTableView;
class QWidget;
class ScanController;

/**
 * The lower half of the main window: the data control DataFreq behind the grid DBGrid1,
 * the navigation bar, the memory panel FrameMem, RECALL, both ADD MEM buttons, and the
 * menus and scan panel through MemoryMenus and ScanController.
 *
 * The grid's current row and DataFreq's current record follow each other both ways. An
 * edited row reaches the file when the current row changes, when the focus leaves the grid
 * for another control of the window, when a view or database is re-read, and when the
 * window unloads.
 *
 * The window constructs one controller after its panels, hands it the parts it works with,
 * forwards the two ADD MEM requests and the unload, and calls loadBookmarkDatabases()
 * during start-up; everything else is wired here.
 */
class MemoryController : public QObject {
    Q_OBJECT
public:
    MemoryController(const MemoryParts& parts, QObject* parent);
    ~MemoryController() override;

    /** Start-up: the bookmark menu, BookCount, NomeDB, the "by name" view and the first
     *  read of the default database. A database that cannot be opened leaves the grid empty;
     *  its message is shown once the window is on screen. */
    void loadBookmarkDatabases();

    DataFreq* dataFreq() const { return m_data; }
    MemoryMenus* menus() const { return m_menus; }
    ScanController* scan() const { return m_scan; }

    void DataFreq_Reposition();
    void AggiornaFrameMem();
    /** The current memory as a value, from the data control's current record; std::nullopt
     *  when there is none. */
    std::optional<MemorySnapshot> currentMemory() const;
    void Crecall_Click();
    /** The recall as the bookmark scan makes it: false with error when the memory could
     *  not be sent (an empty panel is no error). */
    bool recallForScan(AppError* error);
    /** ADD MEM under the display: the frequency and mode the radio told. */
    void CaddCurrMem_Click();
    /** ADD MEM under the entry pad: the keyed digits (a partial entry is refused). */
    void CaddMain_Click(const QString& padDigits);
    /** Writes the edited row, if any; a failure is shown. False when it failed. */
    bool writePendingRow();
    /** At quit: commits a cell editor still open, then writes the edited row. */
    void writePendingAtQuit();
    /** Before QUIT: commits a cell editor still open and writes the edited row. When the
     *  write fails the operator chooses: Retry (after freeing space), Discard (quit without
     *  the edit) or Cancel (the program stays open, the edit pending). True: quit. */
    bool mayQuit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpGrid();
    void connectControls();
    void emptyPanel();
    void onModelDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    void followGrid(const QModelIndex& current);
    void showDataRowInGrid();
    void onRowWriteFailed(const AppError& error);
    void onReadFailed(const AppError& error);
    void onFocusChanged(QWidget* old, QWidget* now);
    void addMemory(const std::optional<NewMemory>& memory, const QString& refusal);
    /** Runs the recall under the wait cursor; error is set for a refusal or a failure. */
    Recall::Outcome runRecall(AppError* error);
    void showStartupError();
    /** Reads the view again when another program changed the file (keeping the record). */
    void showOutsideChanges();

    MemoryParts m_parts;
    QPointer<MemoryGrid> m_grid;
    DataFreq* m_data;
    MemoryMenus* m_menus = nullptr;
    ScanController* m_scan = nullptr;
    bool m_followingData = false;  ///< the grid is being moved to DataFreq's row
    std::optional<AppError> m_startupError;
    /** How often the open file is asked whether another program changed it. */
    static constexpr int kOutsideChangeCheckMs = 3000;
    QTimer m_outsideChanges;
};
