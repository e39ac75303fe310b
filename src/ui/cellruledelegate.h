#pragma once

#include "ui/celltextdelegate.h"

#include <QPersistentModelIndex>
#include <QPointer>

class QAbstractItemView;
struct CellVerdict;

/**
 * The memory grid's cell editing: every cell edit passes the cell rules
 * (DBGrid1_BeforeColUpdate) before it is committed, and the Split flag of the row is
 * recomputed after every committed cell (DBGrid1_AfterColUpdate).
 *
 * A refused edit shows its message (through showMessage) and the operator stays in the cell
 * with the text the rule leaves there: the previous value after a range error, the typed
 * text after a format error. Enter or Tab on a refused edit keeps the editor open; when the
 * edit was ended by moving to another cell, the editor is opened again on the refused cell.
 * Tab and Shift+Tab on an accepted edit commit it and leave the grid; Ctrl+Tab and
 * Ctrl+Shift+Tab commit it and edit the next or previous cell.
 *
 * An open editor keeps what the operator typed when its row changes under it (the row was
 * written when the focus left the grid). Esc on an editor cancels the cell edit, as usual; Esc on
 * an editor whose text was not changed also asks for the row's pending edit to be dropped
 * (rowDiscardRequested).
 *
 * The end of the program never waits on a cell: losing the focus to the quit control
 * neither checks nor commits the edit, and commitAtQuit() commits an accepted text and
 * drops a refused one without a message.
 *
 * Works on any view whose model is DataFreq::model() (text cells, Split a bool). Cells are
 * painted by CellTextDelegate.
 */
class CellRuleDelegate : public CellTextDelegate {
    Q_OBJECT
public:
    explicit CellRuleDelegate(QAbstractItemView* view);

    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

    /** Commits the editor's text when the cell rule accepts it; a refused text is dropped.
     *  No message either way: for the end of the program. */
    void commitAtQuit(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const;
    /** The control whose click ends the program (QUIT); null for none. */
    void setQuitControl(QWidget* control) { m_quitControl = control; }

signals:
    /** Esc on an editor holding the cell's own text: drop the pending edit of row. */
    void rowDiscardRequested(int row);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    struct Check;
    /** Applies the rule to the editor's text; shows the message of a refusal when tell. */
    Check check(QWidget* editor, const QModelIndex& index, bool tell = true) const;
    /** The grid's rule for one cell edit before it is committed (checkCellEdit). */
    static CellVerdict DBGrid1_BeforeColUpdate(int column, const QString& typed,
                                               const QString& previous);
    bool isUnedited(QObject* editor) const;
    void reopen(const QModelIndex& index, const QString& text) const;
    static void recomputeSplit(QAbstractItemModel* model, int row);

    QAbstractItemView* m_view;
    QPointer<QWidget> m_quitControl;
    mutable bool m_showingMessage = false;
    mutable QPersistentModelIndex m_reopen;  ///< refused cell being opened again
    mutable QString m_reopenText;            ///< the text it opens with
};
