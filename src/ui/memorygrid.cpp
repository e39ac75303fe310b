#include "ui/memorygrid.h"

#include "ui/cellruledelegate.h"
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
    // The open editor lives on the viewport, at the current cell; closed ones are hidden.
    const auto* rules = qobject_cast<CellRuleDelegate*>(itemDelegate());
    const auto editors = viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* editor : editors) {
        if (!rules)
            commitData(editor);
        else if (!editor->isHidden())
            rules->commitAtQuit(editor, model(), currentIndex());
    }
}
