#pragma once

#include <QTableView>

class DataFreq;
class GridEditing;

/**
 * The memory grid DBGrid1 under the memory panel. Its height follows the window (the
 * window places it); the memory layer gives it its model and editing rules.
 */
class MemoryGrid : public QTableView {
    Q_OBJECT
public:
    explicit MemoryGrid(QWidget* parent = nullptr);

    /** Shows the data control's memories: its model, with the grid's font, the system's
     *  colours, rows a line high and column widths by what each column holds, and the
     *  editing rules (GridEditing, returned; the grid's child). */
    GridEditing* showMemories(DataFreq* data);

    /** At the end of the program: commits the text of a cell editor that is still open (the
     *  operator typed and then quit without leaving the cell) when the grid's cell rules
     *  accept it, and drops it silently when they refuse it. */
    void commitOpenEditor();
    /** A cell editor is open. */
    bool isEditing() const { return state() == EditingState; }
};
