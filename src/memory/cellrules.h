#pragma once

#include <QString>

#include <optional>

/** Result of converting a cell text to a 16-bit whole number the way the platform does:
 *  blanks around ignored, a fraction rounded half to even. */
struct Int16Conversion {
    enum class Status { Ok, Format, Overflow };
    Status status = Status::Format;
    int value = 0;
};
Int16Conversion convertInt16(const QString& text);

/** What the grid must do with one cell edit that is about to be committed. */
struct CellVerdict {
    enum class Icon { None, Critical };
    bool cancel = false;  ///< refuse the edit; the operator stays in the cell
    QString cellText;     ///< the text the cell holds afterwards (normalised, previous, or typed)
    QString message;      ///< empty: no message box
    Icon icon = Icon::None;
};

/** The rule of one column for a cell edit about to be committed: column 0..9, the text
 *  typed and the cell's previous value. Name and Split have no rule. */
CellVerdict checkCellEdit(int column, const QString& typed, const QString& previous);

/** Split flag derived from the three split parts: true when all three are non-empty. */
bool splitFromParts(const QString& sMHz, const QString& sKHz, const QString& sHz);
