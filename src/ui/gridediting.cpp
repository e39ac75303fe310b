#include "ui/gridediting.h"

#include "memory/datafreq.h"
#include "ui/cellruledelegate.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>

namespace {

struct ModeItem {
    const char* objectName;
    const char* mode;
};

/** The items of Mmode, in menu order. */
constexpr ModeItem kModeItems[] = {{"Mfm", "FM"},    {"Mam", "AM"},   {"Mwfm", "WFM"},
                                   {"Musb", "USB"},  {"Mlsb", "LSB"}, {"Mcw", "CW"},
                                   {"Mrtty", "RTTY"}};

/**
 * The grid's selection: its current row changes only when DataFreq lets the edited row go,
 * and no cell of another row than the edited one is highlighted.
 */
class RowGate : public QItemSelectionModel {
public:
    RowGate(QAbstractItemModel* model, DataFreq* data, QObject* parent)
        : QItemSelectionModel(model, parent), m_data(data)
    {
    }

    void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override
    {
        if (index.isValid() && index.row() != currentIndex().row() &&
            !m_data->mayLeavePendingRow(index.row()))
            return;  // refused (and told) where DataFreq refuses the move
        QItemSelectionModel::setCurrentIndex(index, command);
    }

    using QItemSelectionModel::select;
    void select(const QItemSelection& selection, SelectionFlags command) override
    {
        if (m_data->hasPendingRow()) {
            for (const QModelIndex& index : selection.indexes()) {
                if (index.row() != m_data->pendingRow())
                    return;
            }
        }
        QItemSelectionModel::select(selection, command);
    }

private:
    DataFreq* m_data;
};

}  // namespace

QString rowNotWrittenText(const AppError& error)
{
    return error.text + QStringLiteral(
                            "\r\nThe change to this memory is not stored. Correct it, "
                            "or press Esc in the grid to drop it.");
}

GridEditing::GridEditing(QTableView* grid, DataFreq* data)
    : QObject(grid),
      m_grid(grid),
      m_viewport(grid->viewport()),
      m_data(data),
      m_delegate(new CellRuleDelegate(grid))
{
    QItemSelectionModel* plain = m_grid->selectionModel();
    m_grid->setSelectionModel(new RowGate(m_grid->model(), m_data, m_grid));
    delete plain;
    m_delegate->setQuitControl(m_grid->window()->findChild<QWidget*>(QStringLiteral("Cquit")));
    connect(m_delegate, &CellRuleDelegate::rowDiscardRequested, this, [this](int row) {
        if (m_data->pendingRow() == row)
            discardRowEdit();
    });
    connect(m_data, &DataFreq::databaseOpened, this, &GridEditing::onDatabaseOpened);
    m_grid->setItemDelegate(m_delegate);
    m_grid->installEventFilter(this);
    m_viewport->installEventFilter(this);
    buildModeMenu();
}

void GridEditing::buildModeMenu()
{
    m_modeMenu = new QMenu(QStringLiteral("Mode"), m_grid);
    m_modeMenu->setObjectName(QStringLiteral("Mmode"));
    for (const ModeItem& item : kModeItems) {
        QAction* action = m_modeMenu->addAction(QString::fromLatin1(item.mode));
        action->setObjectName(QString::fromLatin1(item.objectName));
        const QString mode = QString::fromLatin1(item.mode);
        connect(action, &QAction::triggered, this, [this, mode] { setModeOfCurrentRow(mode); });
    }
}

void GridEditing::setModeOfCurrentRow(const QString& mode)
{
    const QModelIndex current = m_grid->currentIndex();
    if (current.isValid())
        m_data->setCell(current.row(), memcol::kMode, mode);
}

bool GridEditing::discardRowEdit()
{
    if (!m_data->hasPendingRow())
        return false;
    m_data->discardPendingRow();
    return true;
}

void GridEditing::setStatusLine(QLineEdit* line)
{
    m_statusLine = line;
    onDatabaseOpened(m_data->isReadOnly());
}

void GridEditing::onDatabaseOpened(bool readOnly)
{
    if (!m_statusLine)
        return;
    if (readOnly)
        m_statusLine->setText(kReadOnlyStatus);
    else if (m_readOnlyShown)
        m_statusLine->clear();
    m_readOnlyShown = readOnly;
}

bool GridEditing::movedTo(const QModelIndex& index)
{
    m_grid->setCurrentIndex(index);
    return m_grid->currentIndex().row() == index.row();
}

void GridEditing::moveCell(int step)
{
    // Along the row, then on to the next (or previous) row's first (or last) cell.
    const QAbstractItemModel* model = m_grid->model();
    const QModelIndex current = m_grid->currentIndex();
    const int columns = model->columnCount();
    const int at = current.isValid() ? current.row() * columns + current.column() : -1;
    const int next = at + step;
    if (next < 0 || next >= model->rowCount() * columns)
        return;
    movedTo(model->index(next / columns, next % columns));
}

void GridEditing::toggleScan(int row)
{
    const QVariant scan = m_data->cell(row, memcol::kScan);
    const bool marked = !scan.isNull() && scan.toString() == QLatin1String("Y");
    m_data->setCell(row, memcol::kScan, marked ? QString(QLatin1String("")) : QStringLiteral("Y"));
}

QString GridEditing::describeRow(int row) const
{
    // As the grid shows it: the name (or that it has none), the frequency and the mode.
    auto text = [this, row](int column) { return m_data->cell(row, column).toString(); };
    const QString name = text(memcol::kName).trimmed();
    return QStringLiteral("%1, %2.%3.%4 %5")
        .arg(name.isEmpty() ? QStringLiteral("(no name)") : QStringLiteral("\"%1\"").arg(name),
             text(memcol::kMHz), text(memcol::kKHz), text(memcol::kHz), text(memcol::kMode));
}

void GridEditing::DBGrid1_BeforeDelete()
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    const MessageRequest ask{
        QMessageBox::NoIcon, QStringLiteral("Erase operation"),
        QStringLiteral("Confirm elimination of this memory ?\r\n") + describeRow(current.row()),
        QMessageBox::Yes | QMessageBox::No};
    if (showMessage(m_grid, ask) != QMessageBox::Yes)
        return;
    if (m_data->currentRow() != current.row())
        m_data->moveTo(current.row());
    if (m_data->currentRow() != current.row())
        return;  // the edited row could not be left; that was told
    AppError error;
    if (!m_data->deleteCurrentRow(&error))
        showMessage(m_grid, QMessageBox::Critical, QString(), error.text);
}

bool GridEditing::onMouseDoubleClick(const QModelIndex& index)
{
    if (!index.isValid() || index.column() != memcol::kScan ||
        !(index.flags() & Qt::ItemIsEditable))
        return false;
    if (movedTo(index))
        toggleScan(index.row());
    return true;  // no editor for the Scan cell on a double-click
}

bool GridEditing::onRightPress(const QModelIndex& index, const QPoint& globalPosition)
{
    if (!index.isValid() || index.column() != memcol::kMode ||
        !(index.flags() & Qt::ItemIsEditable))
        return false;
    if (movedTo(index))
        m_modeMenu->popup(globalPosition);
    return true;
}

bool GridEditing::eventFilter(QObject* object, QEvent* event)
{
    // A try to edit a read-only database is answered on the status line, where a radio
    // reply may have replaced the notice since the file was opened.
    const bool editTry = (object == m_grid && event->type() == QEvent::KeyPress &&
                          !static_cast<QKeyEvent*>(event)->text().isEmpty()) ||
                         (object == m_viewport && event->type() == QEvent::MouseButtonDblClick);
    if (editTry && m_data->isReadOnly())
        onDatabaseOpened(true);
    if (object == m_grid && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // The grid itself has the focus only when no cell editor is open.
        if (key->key() == Qt::Key_Delete && m_grid->hasFocus()) {
            DBGrid1_BeforeDelete();
            return true;
        }
        if (key->key() == Qt::Key_Escape && m_grid->hasFocus() && discardRowEdit())
            return true;
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            (key->modifiers() & Qt::ControlModifier)) {
            const bool back =
                key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
            moveCell(back ? -1 : 1);
            return true;
        }
    } else if (object == m_viewport && (event->type() == QEvent::MouseButtonDblClick ||
                                        event->type() == QEvent::MouseButtonPress)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = m_grid->indexAt(mouse->position().toPoint());
        if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton)
            return onMouseDoubleClick(index);
        if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::RightButton)
            return onRightPress(index, mouse->globalPosition().toPoint());
    }
    return QObject::eventFilter(object, event);
}
