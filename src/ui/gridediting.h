#pragma once

#include <QObject>

class CellRuleDelegate;
class DataFreq;
class QMenu;
class QModelIndex;
class QTableView;

/**
 * The memory grid's editing behaviour, attached to a view whose model is DataFreq::model():
 *  - every cell edit passes the cell rules, and Split follows the split parts
 *    (CellRuleDelegate);
 *  - Delete asks "Confirm elimination of this memory ?" (Yes/No, "Erase operation") and
 *    deletes the current row on Yes (DBGrid1_BeforeDelete);
 *  - a double-click in the Scan column toggles Scan between "Y" and the empty text instead
 *    of opening an editor (DBGrid1_DblClick);
 *  - a right-click in the Mode column makes that cell current and opens the pop-up menu
 *    Mmode, whose items (Mfm "FM", Mam "AM", Mwfm "WFM", Musb "USB", Mlsb "LSB", Mcw "CW",
 *    Mrtty "RTTY") write the Mode cell of the current row; nothing is sent to the radio
 *    (DBGrid1_MouseDown).
 * Code-written cells mark the row edited; it reaches the file with the next row write.
 * Construct it once per grid; it lives as the grid's child.
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

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    void buildModeMenu();
    bool onMouseDoubleClick(const QModelIndex& index);
    bool onRightPress(const QModelIndex& index, const QPoint& globalPosition);

    QTableView* m_grid;
    QWidget* m_viewport;  ///< kept: the filter must not call into a grid being destroyed
    DataFreq* m_data;
    CellRuleDelegate* m_delegate;
    QMenu* m_modeMenu;
};
