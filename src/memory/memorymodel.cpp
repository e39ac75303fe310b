#include "memory/memorymodel.h"

#include "memory/datafreq.h"

MemoryModel::MemoryModel(DataFreq* data) : QAbstractTableModel(data), m_data(data) {}

int MemoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_data->recordCount();
}

int MemoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 10;
}

QVariant MemoryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const QVariant value = m_data->cell(index.row(), index.column());
    if (index.column() == memcol::kSplit && role == Qt::DisplayRole && !value.isNull())
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return value;
}

bool MemoryModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    return m_data->setCell(index.row(), index.column(), value);
}

QVariant MemoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 10)
        return QString::fromLatin1(kMemoryCaptions[section]);
    if (orientation == Qt::Vertical && role == Qt::DisplayRole && section == m_data->pendingRow())
        return kEditMarker;
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags MemoryModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return m_data->isReadOnly() ? flags : flags | Qt::ItemIsEditable;
}

void MemoryModel::announceRowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, 9));
    emit headerDataChanged(Qt::Vertical, row, row);
}
