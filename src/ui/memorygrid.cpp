#include "ui/memorygrid.h"

#include "ui/uilook.h"

MemoryGrid::MemoryGrid(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("DBGrid1"));
    look::place(this, 120, 5640, 9135, 1935);
}
