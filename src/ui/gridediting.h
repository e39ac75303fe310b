#pragma once

#include "common/errorcatalogue.h"

#include <QObject>
#include <QPointer>

class CellRuleDelegate;
class DataFreq;
class QLineEdit;
class QMenu;
class QModelIndex;
class QTableView;

/** The status line while the database open is read-only. */
inline const QString kReadOnlyStatus = QStringLiteral("DATABASE READ-ONLY");

/** The text of a box for an edited row that cannot be written: the error (naming the file),
 *  then the way on. */
QString rowNotWrittenText(const AppError& error);

/**
 * The memory grid's editing behaviour, attached to a view whose model is DataFreq::model():
 *  - every cell edit passes the cell rules, and Split follows the split parts
 *    (CellRuleDelegate);
 *  - Delete asks "Confirm elimination of this memory ?" (Yes/No, "Erase operation"), with
 *    the memory's name, frequency and mode on the next line, and deletes the current row on Yes
 * (DBGrid1_BeforeDelete);
 *  - a double-click in the Scan column toggles Scan between "Y" and the empty text instead
 *    of opening an editor (DBGrid1_DblClick);
 *  - a right-click in the Mode column makes that cell current and opens the pop-up menu
 *    Mmode, whose items (Mfm "FM", Mam "AM", Mwfm "WFM", Musb "USB", Mlsb "LSB", Mcw "CW",
 *    Mrtty "RTTY") write the Mode cell of the current row; nothing is sent to the radio
 *    (DBGrid1_MouseDown).
 *  - the current row changes only when DataFreq lets the edited row go
 *    (DataFreq::mayLeavePendingRow): when the edited row cannot be written, the click, key
 *    or code that would move the grid is refused, so the highlighted row, the data
 *    control's record, Delete and the panel all stay on the edited row;
 *  - Esc on the grid (no cell editor open) drops the pending edit of the row, which shows
 *    its stored values again; Esc in an editor cancels the cell edit, and on a cell left as
 *    it was also drops the row's edit;
 *  - a read-only database has no editable cells; the status line says so when it is
 *    opened and again at each try to edit it (setStatusLine);
 *  - Tab and Shift+Tab leave the grid for the window's next or previous control; Ctrl+Tab
 *    and Ctrl+Shift+Tab, like the arrow keys, move between cells;
 *  - losing the focus to the window's QUIT control (object name "Cquit") neither checks
 *    nor commits a cell edit: the quit commits it (MemoryGrid::commitOpenEditor).
 * Code-written cells mark the row edited; it reaches the file with the next row write.
 * Construct it once per grid, after the grid has its model; it lives as the grid's child.
 */
class GridEditing : public QObject {
    Q_OBJECT
public:
    GridEditing(QTableView* grid, DataFreq* data);

    /** The pop-up menu Mmode; its actions carry the item names as object names. */
    QMenu* modeMenu() const { return m_modeMenu; }

    /** Asks for confirmation and deletes the grid's current row on Yes. */
    void DBGrid1_BeforeDelete();
    /** Toggles Scan of the given row: "Y" -> "", anything else -> "Y". */
    void toggleScan(int row);
    /** Writes mode into the Mode cell of the grid's current row (the Mmode items). */
    void setModeOfCurrentRow(const QString& mode);
    /** Drops the pending edit of the grid's current row (Esc). False when there was none. */
    bool discardRowEdit();
    /** The line that shows kReadOnlyStatus whenever a read-only database is opened. */
    void setStatusLine(QLineEdit* line);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    /** One line naming the memory of a row: "\"Alpha\", 145.500.000 FM". */
    QString describeRow(int row) const;
    void buildModeMenu();
    void onDatabaseOpened(bool readOnly);
    bool movedTo(const QModelIndex& index);
    /** Ctrl+Tab (step 1) and Ctrl+Shift+Tab (step -1): the next or previous cell. */
    void moveCell(int step);
    bool onMouseDoubleClick(const QModelIndex& index);
    bool onRightPress(const QModelIndex& index, const QPoint& globalPosition);

    QTableView* m_grid;
    QWidget* m_viewport;  ///< kept: the filter must not call into a grid being destroyed
    DataFreq* m_data;
    CellRuleDelegate* m_delegate;
    QMenu* m_modeMenu;
    QPointer<QLineEdit> m_statusLine;
    bool m_readOnlyShown = false;  ///< the status line shows the read-only notice
};
