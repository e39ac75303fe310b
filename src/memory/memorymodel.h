#pragma once

#include <QAbstractTableModel>

class DataFreq;

/**
 * The grid's view of DataFreq: ten columns captioned "Name" ... "Scan" (column 7 "sHZ"),
 * one row per record of the current view. Rows are never added through the model; a row
 * added to the file by "ADD MEM" is announced as inserted where the view places it.
 *
 * Cells show the stored text; a null field shows as an empty cell. The yes/no field Split
 * shows as "True" or "False", the words a grid over a yes/no field has always shown, and
 * its edit value is a bool. setData hands the value to DataFreq's pending row without any
 * check: the grid applies the cell rules before it commits a cell.
 *
 * The record selector (the vertical header) shows kEditMarker on the row whose edit is
 * pending, the row number on the others. Cells of a read-only file are not editable.
 *
 * DataFreq owns the model and announces its changes through the announce... calls.
 */
/** The record selector's mark of a row with unsaved changes (a pencil). */
inline const QString kEditMarker = QStringLiteral("\u270E");

class MemoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MemoryModel(DataFreq* data);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void announceResetBegin() { beginResetModel(); }
    void announceResetEnd() { endResetModel(); }
    void announceRemoveBegin(int row) { beginRemoveRows({}, row, row); }
    void announceRemoveEnd() { endRemoveRows(); }
    void announceInsert(int row)
    {
        beginInsertRows({}, row, row);
        endInsertRows();
    }
    void announceRowChanged(int row);

private:
    DataFreq* m_data;
};
