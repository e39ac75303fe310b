#include "ui/memorygrid.h"

#include "memory/datafreq.h"
#include "ui/cellruledelegate.h"
#include "ui/gridediting.h"
#include "ui/uilook.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHeaderView>

#include <iterator>

namespace {

const QString kGridFontFamily = QStringLiteral("MS Sans Serif");
constexpr double kGridFontPoints = 8.25;

QFont gridFont()
{
    QFont font = QFontDatabase::families().contains(kGridFontFamily)
                     ? QFont(kGridFontFamily)
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(kGridFontPoints);
    return font;
}

/** The system's window colours, set on every role so that none is taken over from the
 *  window's navy panels. */
QPalette systemColours()
{
    QPalette palette = QApplication::palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        const auto colorGroup = static_cast<QPalette::ColorGroup>(group);
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto colorRole = static_cast<QPalette::ColorRole>(role);
            if (colorRole == QPalette::NoRole)
                continue;
            palette.setColor(colorGroup, colorRole, palette.color(colorGroup, colorRole));
        }
    }
    return palette;
}

}  // namespace

MemoryGrid::MemoryGrid(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("DBGrid1"));
    look::place(this, 120, 5640, 9135, 1935);
    // Tab and Shift+Tab go on to the window's next control; Ctrl+Tab and the arrow keys move
    // between cells (GridEditing).
    setTabKeyNavigation(false);
    setAccessibleName(QStringLiteral("Memories"));
    setAccessibleDescription(QStringLiteral(
        "The memories of the current database. Arrow keys or Ctrl+Tab move between cells, "
        "typing edits a cell, Delete erases the memory, Tab leaves the grid."));
}

void MemoryGrid::commitOpenEditor()
{
    if (state() != EditingState)
        return;
    // The open editor lives on the viewport, at the current cell; closed ones are hidden.
    const auto* rules = qobject_cast<CellRuleDelegate*>(itemDelegate());
    if (!rules)
        return;  // no editing rules: the grid was never given memories
    const auto editors = viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* editor : editors) {
        if (!editor->isHidden())
            rules->commitAtQuit(editor, model(), currentIndex());
    }
}

GridEditing* MemoryGrid::showMemories(DataFreq* data)
{
    setFont(gridFont());
    setPalette(systemColours());
    setModel(data->model());
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A name wider than its column is cut with an ellipsis at its end, on one line.
    setWordWrap(false);
    // The record selector at the left; dragging its lines sets the row height.
    verticalHeader()->setVisible(true);
    verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    // Widths by what each column holds, so the ten columns fit the grid's width.
    const QFontMetrics metrics = fontMetrics();
    constexpr int kCellPadding = 14;
    constexpr const char* kWidest[] = {
        "Repeater name here", "MHz", "KHz", "000", "RTTY", "sMHz", "sKHz", "sHZ", "False", "Scan"};
    static_assert(std::size(kWidest) == memcol::kScan + 1, "one width for every column");
    for (int column = 0; column < memcol::kScan + 1; ++column) {
        setColumnWidth(
            column, metrics.horizontalAdvance(QString::fromLatin1(kWidest[column])) + kCellPadding);
    }
    return new GridEditing(this, data);  // the grid's child
}
