#pragma once

#include <QTableView>

/**
 * The memory grid DBGrid1 under the memory panel. Its height follows the window (the
 * window places it); the memory layer gives it its model and editing rules.
 */
class MemoryGrid : public QTableView {
    Q_OBJECT
public:
    explicit MemoryGrid(QWidget* parent = nullptr);
};
