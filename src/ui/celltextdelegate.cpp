#include "ui/celltextdelegate.h"

#include <QPainter>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace {

/** Texts with a line break, a tab or another control character are laid out by the style. */
bool isPlainLine(const QString& text)
{
    return std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() < 0x20 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
    });
}

/** True for a cell whose text the kept way paints as the style would. */
bool takesKeptText(const QStyleOptionViewItem& option)
{
    return option.widget && option.direction == Qt::LeftToRight &&
           !(option.state & (QStyle::State_Editing | QStyle::State_HasFocus)) &&
           !(option.features &
             (QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration)) &&
           option.displayAlignment == (Qt::AlignLeft | Qt::AlignVCenter) &&
           option.textElideMode != Qt::ElideNone && isPlainLine(option.text);
}

QStaticText prepared(const QString& text, const QFont& font)
{
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    laid.prepare(QTransform(), font);
    return laid;
}

}  // namespace

const QStaticText* CellTextDelegate::laidOut(const QString& text,
                                             const QStyleOptionViewItem& option, int width) const
{
    if (option.font != m_font || keptTexts() >= kKeptTexts) {
        m_texts.clear();
        m_elided.clear();
        m_font = option.font;
    }
    auto whole = m_texts.find(text);
    if (whole == m_texts.end())
        whole = m_texts.insert(text, prepared(text, option.font));
    if (whole->size().width() <= width)
        return &*whole;
    // Too wide: a wrapping cell breaks it at a space before eliding; that is the style's.
    if (option.features & QStyleOptionViewItem::WrapText)
        return nullptr;
    Elided& elided = m_elided[text];
    if (elided.width != width) {
        elided.width = width;
        elided.text =
            prepared(option.fontMetrics.elidedText(text, option.textElideMode, width), option.font);
    }
    return &elided.text;
}

bool CellTextDelegate::placeKeptText(QStyleOptionViewItem* option, QRect* textRect,
                                     const QStaticText** shown) const
{
    if (!takesKeptText(*option))
        return false;
    const QWidget* widget = option->widget;
    const QStyle* style = widget->style();
    // The text's place as the style gives it, less the focus frame's margin; asked without
    // the text, which the style would otherwise shape once more only to size it.
    const QString text = option->text;
    option->text.clear();
    // Without text the place depends only on the cell's size and features: asked once for
    // the cells of one column.
    if (m_place.style != style || m_place.cell != option->rect.size() ||
        m_place.features != option->features) {
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect cell = option->rect;
        const QRect place = style->subElementRect(QStyle::SE_ItemViewItemText, option, widget)
                                .adjusted(margin, 0, -margin, 0);
        m_place = {style, cell.size(), option->features,
                   QMargins(place.left() - cell.left(), place.top() - cell.top(),
                            cell.right() - place.right(), cell.bottom() - place.bottom())};
    }
    *textRect = option->rect.marginsRemoved(m_place.inset);
    if (option->fontMetrics.height() > textRect->height())
        return false;  // clipped: the style's way
    if (text.isEmpty()) {
        *shown = nullptr;
        return true;
    }
    *shown = laidOut(text, *option, textRect->width());
    return *shown != nullptr;
}

void CellTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    QRect textRect;
    const QStaticText* shown = nullptr;
    if (!placeKeptText(&opt, &textRect, &shown)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The style draws nothing behind a cell that is neither selected nor hovered and has no
    // background of its own.
    const bool bare = !(opt.state & (QStyle::State_Selected | QStyle::State_MouseOver)) &&
                      opt.backgroundBrush.style() == Qt::NoBrush;
    if (!bare)
        opt.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    if (!shown)
        return;
    QPalette::ColorGroup group =
        opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(opt.state & QStyle::State_Active))
        group = QPalette::Inactive;
    painter->save();
    painter->setPen(opt.palette.color(
        group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(opt.font);
    const int lineHeight = opt.fontMetrics.height();
    painter->drawStaticText(textRect.left(), textRect.top() + (textRect.height() - lineHeight) / 2,
                            *shown);
    painter->restore();
}
