#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

/**
 * Paints the memory grid's cells as a plain item delegate does, with the text of each cell
 * laid out once and kept (QStaticText) instead of shaped again at every paint: a screen of
 * the grid repeats the same texts (frequency parts, modes, flags) row after row and at every
 * repaint, and shaping them was most of the cost of painting a screen.
 *
 * Only a one-line text, left to right, takes this way; a text too wide for its cell is kept
 * as the style elides it when the cell does not wrap. A text with a line break, a row too low for a
 * line, a cell in a right-to-left layout, the current cell (the style draws its focus frame over
 * the text) or an edited cell, or a text too wide for a cell that wraps, is painted by
 * QStyledItemDelegate itself, so every cell looks as the style paints it.
 */
class CellTextDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    /** Texts kept at most (a few screens); past it they are dropped and laid out anew. */
    static constexpr int kKeptTexts = 1024;
    /** How many texts are kept laid out now. */
    int keptTexts() const { return static_cast<int>(m_texts.size() + m_elided.size()); }

private:
    /** A text as shown in a cell of the width: whole, or elided when too wide; null for a
     *  text too wide for a cell that wraps. */
    const QStaticText* laidOut(const QString& text, const QStyleOptionViewItem& option,
                               int width) const;
    /** For a cell the kept way paints: the place of its text, the text as shown (null for
     *  none), and the option without its text (for the background). False for a cell the
     *  style paints. */
    bool placeKeptText(QStyleOptionViewItem* option, QRect* textRect,
                       const QStaticText** shown) const;

    struct Elided {
        int width = -1;
        QStaticText text;
    };
    /** Where a cell's text goes within the cell, for cells of one size and features. */
    struct TextPlace {
        const QStyle* style = nullptr;
        QSize cell;
        QStyleOptionViewItem::ViewItemFeatures features;
        QMargins inset;
    };
    mutable TextPlace m_place;
    mutable QHash<QString, QStaticText> m_texts;
    mutable QHash<QString, Elided> m_elided;  ///< by the whole text
    mutable QFont m_font;                     ///< the font the kept texts were laid out in
};
