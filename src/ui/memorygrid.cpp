#include "ui/memorygrid.h"

#include "ui/uilook.h"

MemoryGrid::MemoryGrid(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("DBGrid1"));
    look::place(this, 120, 5640, 9135, 1935);
}

void MemoryGrid::commitOpenEditor()
{
    if (state() != EditingState)
        return;
    // Cell editors live on the viewport; committing a widget that is no editor does nothing.
    const auto editors = viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* editor : editors)
        commitData(editor);
}
