#pragma once

#include <QWidget>

class QLineEdit;

/**
 * The field above the grid that finds memories: what is typed narrows the grid's view as
 * it is typed (names containing it, or frequencies starting with it). Hidden until asked for
 * (Ctrl+F); Esc in the field clears it, hides it and gives the focus back to the grid.
 */
class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    QLineEdit* field() const { return m_field; }
    /** Shows the bar and puts the focus in the field, its text selected. */
    void open();
    /** Empties the field (the view shows every memory again) and hides the bar. */
    void clearAndClose();

signals:
    /** The text to find changed (empty: find nothing, show all). */
    void findTextChanged(const QString& text);
    /** The bar was shown or hidden: the window lays out the grid again. */
    void shownChanged();
    /** Esc closed the bar. */
    void closedByKey();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_field;
};
