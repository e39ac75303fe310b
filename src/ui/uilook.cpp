#include "ui/uilook.h"

#include <QPalette>
#include <QWidget>

#include <cmath>

namespace look {

int px(const QWidget* widget, int twips)
{
    const double dpi = widget->logicalDpiX();
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

int twips(const QWidget* widget, int pixels)
{
    const double dpi = widget->logicalDpiX();
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / dpi));
}

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(px(widget, left), px(widget, top), px(widget, width), px(widget, height));
}

QFont arial(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void paint(QWidget* widget, const QColor& background, const QColor& text)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

}  // namespace look
