#include "ui/cellruledelegate.h"

#include "memory/cellrules.h"
#include "memory/datafreq.h"
#include "ui/messagebox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTimer>

/** The rule's verdict on an editor's text; applies is false for editors the rules do not
 *  concern (the Split cell's yes/no box). */
struct CellRuleDelegate::Check {
    bool applies = false;
    CellVerdict verdict;
};

namespace {

bool endsEditing(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab ||
           key == Qt::Key_Backtab;
}

QMessageBox::Icon iconOf(CellVerdict::Icon icon)
{
    return icon == CellVerdict::Icon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon;
}

}  // namespace

CellRuleDelegate::CellRuleDelegate(QAbstractItemView* view) : CellTextDelegate(view), m_view(view)
{
}

CellVerdict CellRuleDelegate::DBGrid1_BeforeColUpdate(int column, const QString& typed,
                                                      const QString& previous)
{
    return checkCellEdit(column, typed, previous);
}

CellRuleDelegate::Check CellRuleDelegate::check(QWidget* editor, const QModelIndex& index,
                                                bool tell) const
{
    QPointer<QLineEdit> line = qobject_cast<QLineEdit*>(editor);
    if (!line || !index.isValid() || index.column() == memcol::kSplit)
        return {};
    const QVariant stored = index.data(Qt::EditRole);
    const QString previous = stored.isNull() ? QString() : stored.toString();
    Check result{true, DBGrid1_BeforeColUpdate(index.column(), line->text(), previous)};
    if (!tell)
        return result;
    if (result.verdict.cancel) {
        // While the box is up the editor loses the focus; that must not commit or close it.
        m_showingMessage = true;
        showMessage(m_view, iconOf(result.verdict.icon), QString(), result.verdict.message);
        m_showingMessage = false;
    }
    if (line)
        line->setText(result.verdict.cellText);
    return result;
}

bool CellRuleDelegate::isUnedited(QObject* editor) const
{
    const auto* line = qobject_cast<QLineEdit*>(editor);
    const QVariant value = m_view->currentIndex().data(Qt::EditRole);
    return line && line->text() == (value.isNull() ? QString() : value.toString());
}

bool CellRuleDelegate::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::FocusOut &&
        (m_showingMessage || (m_quitControl && QApplication::focusWidget() == m_quitControl)))
        return true;  // our own box, or QUIT, which commits the edit its own way
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        // The first Esc cancels the cell edit; on a cell left as it was, it drops the row's.
        const bool dropRow = isUnedited(object);
        const int row = m_view->currentIndex().row();
        const bool handled = QStyledItemDelegate::eventFilter(object, event);
        if (dropRow)
            emit rowDiscardRequested(row);
        return handled;
    }
    if (endsEditing(event)) {
        auto* editor = qobject_cast<QWidget*>(object);
        const Check result = check(editor, m_view->currentIndex());
        if (result.applies && result.verdict.cancel)
            return true;  // the operator stays in the cell
        const auto* key = static_cast<QKeyEvent*>(event);
        if (editor && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            // Tab commits the cell and leaves the grid, as it does from a cell without an
            // editor; Ctrl+Tab goes on to the next cell.
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            QKeyEvent leave(QEvent::KeyPress, key->key(), key->modifiers());
            QCoreApplication::sendEvent(m_view, &leave);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void CellRuleDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line && line->isModified())
        return;  // the row changed under an open editor (it was written): keep what was typed
    if (line && m_reopen.isValid() && m_reopen == index) {
        line->setText(m_reopenText);
        m_reopen = QPersistentModelIndex();
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void CellRuleDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const
{
    if (m_showingMessage)
        return;  // a commit caused by our own message box
    const Check result = check(editor, index);
    if (!result.applies) {
        QStyledItemDelegate::setModelData(editor, model, index);
    } else if (result.verdict.cancel) {
        reopen(index, result.verdict.cellText);
        return;
    } else {
        model->setData(index, result.verdict.cellText, Qt::EditRole);
    }
    recomputeSplit(model, index.row());
}

void CellRuleDelegate::commitAtQuit(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const
{
    const Check result = check(editor, index, false);
    if (!result.applies)
        QStyledItemDelegate::setModelData(editor, model, index);
    else if (!result.verdict.cancel)
        model->setData(index, result.verdict.cellText, Qt::EditRole);
    else
        return;  // a text the rules refuse is dropped
    recomputeSplit(model, index.row());
}

void CellRuleDelegate::reopen(const QModelIndex& index, const QString& text) const
{
    // The view is ending this edit (the operator moved to another cell): once it has, put
    // the operator back into the refused cell with the text the rule left.
    m_reopen = QPersistentModelIndex(index);
    m_reopenText = text;
    QPointer<QAbstractItemView> view = m_view;
    const QPersistentModelIndex cell(index);
    QTimer::singleShot(0, m_view, [view, cell] {
        if (!view || !cell.isValid())
            return;
        view->setCurrentIndex(cell);
        view->edit(cell);
    });
}

void CellRuleDelegate::recomputeSplit(QAbstractItemModel* model, int row)
{
    auto part = [model, row](int column) {
        return model->index(row, column).data(Qt::EditRole).toString();
    };
    const bool split = splitFromParts(part(memcol::kSMHz), part(memcol::kSKHz), part(memcol::kSHz));
    model->setData(model->index(row, memcol::kSplit), split, Qt::EditRole);
}
